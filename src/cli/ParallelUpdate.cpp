#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "cli/Commands.h"
#include "cli/ConsoleRedraw.h"
#include "cli/DeviceResults.h"
#include "cli/JsonDeviceDisplay.h"
#include "cli/ParallelDisplay.h"
#include "cli/ParallelWorker.h"
#include "cli/ResultTable.h"
#include "cli/UpdateJson.h"
#include "engine/UpdateMessages.h"
#include "platform/InterruptGuard.h"
#include "platform/Services.h"
#include "platform/UpdateLock.h"

namespace {

constexpr char kInterruptNotice[] =
    "kt7-flash: the update is being finished; interrupting it now would leave the devices half-written.\n";

} // namespace

int RunParallelUpdateCommand(const CliOptions& options, const std::string& lockPath)
{
    UpdateLock lock(lockPath);
    if (!lock.Held()) {
        GetPrompter().ShowMessage(kMsgAnotherUpdateRunning);
        if (options.json)
            for (const HidDeviceInfo& device : UpdatedDevices())
                WriteResult(device, PackageFileNameFor(device.releaseNumber), ExitCodeOf(UpdateOutcome::Locked), {});
        return ExitCodeOf(UpdateOutcome::Locked);
    }
    std::vector<DeviceRun> runs;
    std::vector<std::string> locations;
    for (const HidDeviceInfo& device : UpdatedDevices()) {
        runs.push_back(DeviceRun{device, PackageFileNameFor(device.releaseNumber)});
        locations.push_back(device.location);
    }
    if (runs.empty()) {
        GetPrompter().ShowMessage(kMsgDeviceNotFound);
        return ExitCodeOf(UpdateOutcome::NoDevice);
    }

    InterruptGuard guard(kInterruptNotice);
    std::unique_ptr<DeviceDisplay> shown;
    if (options.json)
        shown = std::make_unique<JsonDeviceDisplay>(locations);
    else
        shown = std::make_unique<ParallelDisplay>(stderr, RedrawsInPlace(STDERR_FILENO) && !options.verbose, locations);
    DeviceDisplay& display = *shown;
    HidBackend& backend = GetHidBackend();
    Clock& clock = GetClock();
    std::vector<std::thread> workers;
    for (size_t i = 0; i < runs.size(); ++i)
        workers.emplace_back(RunWorker, std::ref(backend), std::ref(clock), std::ref(display), static_cast<int>(i),
                             options.verify, std::ref(runs[i]));
    for (std::thread& worker : workers)
        worker.join();
    display.Finish();

    if (options.json)
        for (const DeviceRun& run : runs)
            WriteResult(run.device, run.package, ExitCodeOf(run.outcome), run.elapsedMs);
    else
        PrintResultTable(runs);
    return HighestExitCode(runs);
}
