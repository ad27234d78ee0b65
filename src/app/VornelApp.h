#pragma once
// The application: runs the welcome page and, when the pages have closed,
// releases whatever is left of the loaded package.

#include "app/ProgressDialog.h"

class CVornelApp {
public:
    // Returns the process's exit code: 1 after a package load failure,
    // else 0.
    int InitInstance();

    // The watch period of the progress page; tests raise it and deliver the
    // ticks themselves.
    void SetProgressWatchPeriod(int periodMs) { m_progressWatchPeriodMs = periodMs; }

private:
    int m_progressWatchPeriodMs = CProgressDialog::kWatchPeriodMs;
};
