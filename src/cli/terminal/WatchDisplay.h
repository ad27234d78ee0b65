#pragma once
// The terminal of a watch: a row per device being updated (location, area,
// percent, estimate, status), a line per device done with its result, and a
// count line ("3 updated, 1 failed, 1 in progress"). On a terminal the rows
// of the devices in progress and the count line are redrawn in place below
// the results, which scroll away; otherwise every change is a plain line and
// the count line follows each start and end. It writes to standard error;
// many workers call it at once.

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "cli/DeviceDisplay.h"

class WatchDisplay final : public DeviceDisplay {
public:
    WatchDisplay(std::FILE* out, bool interactive);

    // A device's update starts on the next row; returns the row.
    int Started(const std::string& location);
    // Its update is over; `result` goes on its line of results.
    void Ended(int device, bool succeeded, const std::string& result);
    // A line of the watch itself, above the rows.
    void PrintLine(const std::string& text);

    // The area line says enough; steps are not shown.
    void EnterPhase(int /*device*/, UpdatePhase /*phase*/) override {}
    void SetArea(int device, const std::string& text) override;
    // The percent shown is the one of the last SetPercent.
    void SetStatus(int device, const std::string& text, int percent, uint32_t remainMs) override;
    void SetPercent(int device, int percent, uint32_t remainMs) override;
    void PrintMessage(int device, const std::string& text) override;
    // Each device's end is shown as it comes.
    void Finish() override {}

private:
    enum class State { InProgress, Updated, Failed };
    struct Row {
        std::string location;
        std::string area;
        std::string status;
        int percent = -1;
        uint32_t remainMs = 0;
        State state = State::InProgress;
    };
    std::string LineOf(const Row& row) const;
    std::string CountLine() const;
    void EraseLocked();
    void DrawLocked();
    // A permanent line above the rows.
    void PrintAboveLocked(const std::string& text);

    std::FILE* const m_out;
    const bool m_interactive;
    std::mutex m_mutex;
    std::vector<Row> m_rows;
    size_t m_drawnLines = 0;
};
