#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "cli/json/JsonDeviceDisplay.h"
#include "cli/json/UpdateJson.h"
#include "cli/terminal/ConsoleRedraw.h"
#include "cli/terminal/ParallelDisplay.h"
#include "cli/terminal/Results.h"
#include "cli/verbs/Commands.h"
#include "cli/verbs/ParallelWorker.h"
#include "cli/verbs/UpdatedDevices.h"
#include "package/PackageShelf.h"
#include "platform/InterruptGuard.h"
#include "platform/UpdateLock.h"
#include "texts/UserTexts.h"
#include "wizard/PackageFileName.h"

int RunParallelUpdateCommand(const CliOptions& options, RunContext& context, const PackagePlaces& places,
                             const std::string& lockPath)
{
    UpdateLock lock(lockPath, context.diagnostics);
    if (!lock.Held()) {
        context.prompter.ShowMessage(kMsgAnotherUpdateRunning);
        if (options.json)
            for (const HidDeviceInfo& device : UpdatedDevices(context.hid))
                WriteResult(device, PackageFileNameFor(device.releaseNumber), ExitCodeOf(UpdateOutcome::Locked), {},
                            nullptr);
        return ExitCodeOf(UpdateOutcome::Locked);
    }
    std::vector<DeviceRun> runs;
    std::vector<std::string> locations;
    for (const HidDeviceInfo& device : UpdatedDevices(context.hid)) {
        DeviceRun run;
        run.device = device;
        run.package = PackageFileNameFor(device.releaseNumber);
        runs.push_back(run);
        locations.push_back(device.location);
    }
    if (runs.empty()) {
        context.prompter.ShowMessage(kMsgDeviceNotFound);
        return ExitCodeOf(UpdateOutcome::NoDevice);
    }

    InterruptGuard guard(kFlashInterruptNoticeDevices);
    std::unique_ptr<DeviceDisplay> shown;
    if (options.json)
        shown = std::make_unique<JsonDeviceDisplay>(locations);
    else
        shown = std::make_unique<ParallelDisplay>(stderr, RedrawsInPlace(STDERR_FILENO) && !options.verbose, locations);
    // Devices of one kind share one loaded package.
    PackageShelf packages(places, context.clock);
    const WorkerSetup setup{context, *shown, packages, places, options.verify, options.expectedSha256};
    std::vector<std::thread> workers;
    for (size_t i = 0; i < runs.size(); ++i)
        workers.emplace_back([&setup, &runs, i] { RunWorker(setup, static_cast<int>(i), runs[i]); });
    for (std::thread& worker : workers)
        worker.join();
    shown->Finish();

    if (options.json)
        for (const DeviceRun& run : runs) {
            DeviceResult result;
            result.device = run.device;
            result.kind = run.outcome == UpdateOutcome::Success ? DeviceResultKind::Updated : DeviceResultKind::Failed;
            result.message = run.message;
            result.cause = run.cause;
            WriteResult(run.device, run.package, ExitCodeOf(run.outcome), run.elapsedMs, &result);
        }
    else
        PrintResultTable(runs);
    return HighestExitCode(OutcomesOf(runs));
}
