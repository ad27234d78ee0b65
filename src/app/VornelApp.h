#pragma once
// The application: runs the welcome page and, when the pages have closed,
// releases whatever is left of the loaded package.

#include <string>

#include "app/ProgressDialog.h"

class CVornelApp {
public:
    // Returns the process's exit code, the same as kt7-flash gives for the
    // same ending (see UpdateOutcome).
    int InitInstance();

    // The update lock the welcome page's Next takes (empty: none).
    void SetUpdateLockPath(const std::string& path) { m_updateLockPath = path; }

    // The watch period of the progress page; tests raise it and deliver the
    // ticks themselves.
    void SetProgressWatchPeriod(int periodMs) { m_progressWatchPeriodMs = periodMs; }

private:
    int m_progressWatchPeriodMs = CProgressDialog::kWatchPeriodMs;
    std::string m_updateLockPath;
};
