#include "cli/ResultTable.h"

#include <cstdio>
#include <string_view>

#include "platform/DisplayWidth.h"

void PrintResultTable(const std::vector<DeviceRun>& runs)
{
    auto row = [](std::string_view location, std::string_view release, std::string_view package,
                  std::string_view result, std::string_view time) {
        std::printf("%s %s %s %s %s\n", PadToWidth(location, 20).c_str(), PadToWidth(release, 8).c_str(),
                    PadToWidth(package, 20).c_str(), PadToWidth(result, 14).c_str(), std::string(time).c_str());
    };
    row("location", "release", "package", "result", "time");
    for (const DeviceRun& run : runs) {
        char release[8];
        std::snprintf(release, sizeof release, "%04X", run.device.releaseNumber);
        char time[32];
        std::snprintf(time, sizeof time, "%.1f s", run.elapsedMs / 1000.0);
        row(run.device.location, release, run.package, ResultText(run.outcome), time);
    }
}
