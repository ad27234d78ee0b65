#pragma once
// The terminal of a watch: a row per device being updated (location,
// percent, area, status), a line per device done with its result, and a
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
#include "cli/terminal/DeviceRow.h"
#include "cli/terminal/LiveLines.h"

class WatchDisplay final : public DeviceDisplay {
public:
    WatchDisplay(std::FILE* out, bool interactive);

    // A device's update starts on the next row; returns the row.
    int Started(const std::string& location);
    // Its update is over; `result` goes on its line of results.
    void Ended(int device, bool succeeded, const std::string& result);
    // A line of the watch itself, above the rows.
    void PrintLine(const std::string& text) override;

    void OnProgress(int device, const ProgressEvent& event) override;
    void PrintMessage(int device, const std::string& text) override;
    // The watch is over: on a terminal the count is drawn once more, which
    // wipes what the terminal echoed below it (Ctrl-C's "^C"), so that what
    // follows starts on a fresh line.
    void Finish() override;

private:
    enum class State { InProgress, Updated, Failed };
    struct Watched {
        DeviceRow row;
        State state = State::InProgress;
    };
    std::string CountLine() const;
    // The rows of the devices in progress and the count line.
    std::vector<std::string> LinesLocked() const;

    std::mutex m_mutex;
    LiveLines m_lines;
    std::vector<Watched> m_devices;
};
