#include "cli/terminal/Results.h"

#include <algorithm>
#include <cstdio>

#include "cli/terminal/ConsoleColumns.h"
#include "hid/ReleaseProbe.h"
#include "platform/DisplayWidth.h"
#include "texts/UserTexts.h"

std::string DeviceResultLine(const DeviceResult& result)
{
    // The location, not the path: the path is the one from before the reset.
    const std::string& where = result.device.location.empty() ? result.device.path : result.device.location;
    const std::string line = where + "  release " + ReleaseNumberText(result.device.releaseNumber) + "  ";
    switch (result.kind) {
    case DeviceResultKind::Updated:
        return line + kResultUpdated;
    case DeviceResultKind::Failed:
        return line + FailedBecauseText(result.message);
    case DeviceResultKind::Stopped:
        return line + StoppedByText(result.cause);
    }
    return line;
}

namespace {

// A message box's lines on one line of the table.
std::string OnOneLine(const std::string& text)
{
    std::string line;
    for (const char c : text) {
        if (c == '\r')
            continue;
        line += c == '\n' ? ' ' : c;
    }
    return line;
}

} // namespace

std::vector<std::string> ResultTableLines(const std::vector<DeviceRun>& runs, int columns)
{
    using Row = std::vector<std::string>;
    std::vector<Row> rows = {{kTableLocation, kTableRelease, kTablePackage, kTableResult, kTableTime}};
    bool anyMessage = false;
    for (const DeviceRun& run : runs) {
        rows.push_back({run.device.location, ReleaseNumberText(run.device.releaseNumber), run.package,
                        ResultText(ExitCodeOf(run.outcome)), DurationText(run.elapsedMs)});
        // The message the user was shown; where and why (the cause) is in the log.
        if (run.outcome != UpdateOutcome::Success && !run.message.empty()) {
            rows.back().push_back(OnOneLine(run.message));
            anyMessage = true;
        }
    }
    if (anyMessage)
        rows.front().push_back(kTableMessage);

    std::vector<int> widths;
    for (const Row& row : rows)
        for (size_t i = 0; i < row.size(); ++i) {
            widths.resize(std::max(widths.size(), i + 1));
            widths[i] = std::max(widths[i], DisplayWidth(row[i]));
        }
    std::vector<std::string> lines;
    for (const Row& row : rows) {
        std::string line;
        for (size_t i = 0; i < row.size(); ++i)
            line += i + 1 < row.size() ? PadToWidth(row[i], widths[i]) + "  " : row[i];
        lines.push_back(columns > 0 ? ClipToWidth(line, columns - 1) : line);
    }
    return lines;
}

void PrintResultTable(const std::vector<DeviceRun>& runs)
{
    for (const std::string& line : ResultTableLines(runs, ConsoleColumns(fileno(stdout))))
        std::printf("%s\n", line.c_str());
}
