#pragma once
// The progress of a parallel update: one line per device (location, area,
// percent, estimate). On a terminal the lines are redrawn in place; otherwise
// each new area or status of a device is printed as a line of its own. It
// writes to standard error; many workers call it at once.

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "cli/DeviceDisplay.h"

class ParallelDisplay final : public DeviceDisplay {
public:
    ParallelDisplay(std::FILE* out, bool interactive, std::vector<std::string> locations);

    // The area line says enough; steps are not shown.
    void EnterPhase(int /*device*/, UpdatePhase /*phase*/) override {}
    void SetArea(int device, const std::string& text) override;
    // The percent shown is the one of the last SetPercent.
    void SetStatus(int device, const std::string& text, int percent, uint32_t remainMs) override;
    void SetPercent(int device, int percent, uint32_t remainMs) override;
    // A message of one device, printed above the lines.
    void PrintMessage(int device, const std::string& text) override;
    void Finish() override;

private:
    struct Row {
        std::string location;
        std::string area;
        std::string status;
        int percent = -1;
        uint32_t remainMs = 0;
    };
    std::string LineOf(const Row& row) const;
    void RedrawLocked();

    std::FILE* const m_out;
    const bool m_interactive;
    std::mutex m_mutex;
    std::vector<Row> m_rows;
    bool m_drawn = false;
};
