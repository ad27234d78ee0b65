#include "cli/terminal/Results.h"

#include <cstdio>
#include <string_view>

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

void PrintResultTable(const std::vector<DeviceRun>& runs)
{
    auto row = [](std::string_view location, std::string_view release, std::string_view package,
                  std::string_view result, std::string_view time) {
        std::printf("%s %s %s %s %s\n", PadToWidth(location, 20).c_str(), PadToWidth(release, 8).c_str(),
                    PadToWidth(package, 20).c_str(), PadToWidth(result, 14).c_str(), std::string(time).c_str());
    };
    row("location", "release", "package", "result", "time");
    for (const DeviceRun& run : runs)
        row(run.device.location, ReleaseNumberText(run.device.releaseNumber), run.package,
            ResultText(ExitCodeOf(run.outcome)), DurationText(run.elapsedMs));
}
