#include "cli/terminal/Results.h"

#include <algorithm>
#include <cstdio>

#include "cli/terminal/ConsoleColumns.h"
#include "hid/ReleaseProbe.h"
#include "platform/DisplayWidth.h"
#include "platform/FittedTable.h"
#include "texts/UserTexts.h"

std::string DeviceResultLine(const DeviceResult& result)
{
    // The location, not the path: the path is the one from before the reset.
    const std::string& where = result.device.location.empty() ? result.device.path : result.device.location;
    const std::string& serial = result.device.serialNumber;
    const std::string line = where + (serial.empty() ? "" : "  serial " + serial) + "  release " +
                             ReleaseNumberText(result.device.releaseNumber) + "  ";
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

// Columns of a failure's message worth the package name's width.
constexpr int kMessageWanted = 24;

enum ColumnIndex { kLocation, kSerial, kRelease, kPackage, kResult, kTime, kAttempt };

// What a dealer reads off the bench: where the device is, which one it is,
// what it got and how that went. The package name mostly repeats the
// release, so it gives up width for the message to say more than the
// result itself ("升级失败 (4)"); the location and the serial number stay whole.
TableLayout Layout(bool attempts)
{
    TableLayout layout{{
                           {kTableLocation, 16},
                           {kTableSerial, 20},
                           {kTableRelease, 6},
                           {kTablePackage, 16},
                           {kTableResult},
                           {kTableTime, 12, true},
                       },
                       2,
                       kResult,
                       DisplayWidth(FailedWithCodeText(4)) + kMessageWanted,
                       {kPackage}};
    if (attempts)
        layout.columns.push_back({kTableAttempt, 4, true});
    return layout;
}

} // namespace

std::vector<std::string> ResultTableLines(const std::vector<DeviceRun>& runs, int columns)
{
    bool retried = false;
    std::vector<std::vector<std::string>> rows;
    for (const DeviceRun& run : runs) {
        // The message the user was shown; where and why (the cause) is in the log.
        std::string result = ResultText(ExitCodeOf(run.outcome));
        if (run.outcome != UpdateOutcome::Success && !run.message.empty())
            result += "  " + OnOneLine(run.message);
        const std::string& serial = run.device.serialNumber;
        rows.push_back({run.device.location, serial.empty() ? "-" : serial, ReleaseNumberText(run.device.releaseNumber),
                        run.package, result, DurationText(run.elapsedMs), std::to_string(run.attempt)});
        retried = retried || run.attempt > 1;
    }
    const std::string table = FitTable(Layout(retried), std::move(rows), columns);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = table.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(table.substr(start, end - start));
    return lines;
}

void PrintResultTable(const std::vector<DeviceRun>& runs)
{
    for (const std::string& line : ResultTableLines(runs, ConsoleColumns(fileno(stdout))))
        std::printf("%s\n", line.c_str());
}
