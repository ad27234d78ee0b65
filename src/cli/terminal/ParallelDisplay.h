#pragma once
// The progress of a parallel update: a row per device (location, percent,
// area, status). On a terminal the rows are redrawn in place; otherwise
// each new area or status of a device is printed as a line of its own. It
// writes to standard error; many workers call it at once.

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "cli/DeviceDisplay.h"
#include "cli/terminal/DeviceRow.h"
#include "cli/terminal/LiveLines.h"

class ParallelDisplay final : public DeviceDisplay {
public:
    ParallelDisplay(std::FILE* out, bool interactive, const std::vector<std::string>& locations);

    void OnProgress(int device, const ProgressEvent& event) override;
    // A message of one device, printed above the rows.
    void PrintMessage(int device, const std::string& text) override;
    void PrintLine(const std::string& text) override;
    void Finish() override;

private:
    std::vector<std::string> LinesLocked() const;

    std::mutex m_mutex;
    LiveLines m_lines;
    std::vector<DeviceRow> m_rows;
    int m_locationWidth = 0;
    bool m_shown = false;  // nothing is drawn before the first report
};
