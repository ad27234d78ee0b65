#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "cli/RecordsOptions.h"
#include "cli/json/JsonDeviceDisplay.h"
#include "cli/json/UpdateJson.h"
#include "cli/terminal/Bell.h"
#include "cli/terminal/ConsoleRedraw.h"
#include "cli/terminal/ParallelDisplay.h"
#include "cli/terminal/Results.h"
#include "cli/verbs/Commands.h"
#include "cli/verbs/ParallelWorker.h"
#include "cli/verbs/UpdatedDevices.h"
#include "cli/verbs/Workers.h"
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
    std::vector<DeviceRun> firsts;
    std::vector<std::string> locations;
    for (const HidDeviceInfo& device : UpdatedDevices(context.hid)) {
        DeviceRun run;
        run.device = device;
        run.package = PackageFileNameFor(device.releaseNumber);
        firsts.push_back(run);
        locations.push_back(device.location);
    }
    if (firsts.empty()) {
        context.prompter.ShowMessage(kMsgDeviceNotFound);
        return ExitCodeOf(UpdateOutcome::NoDevice);
    }

    // The notice of an interrupt is printed through the display, so that
    // its rows stay whole below it.
    InterruptGuard guard(nullptr);
    std::unique_ptr<DeviceDisplay> shown;
    if (options.json)
        shown = std::make_unique<JsonDeviceDisplay>(locations);
    else
        shown = std::make_unique<ParallelDisplay>(stderr, RedrawsInPlace(STDERR_FILENO) && !options.verbose, locations);
    const CliRecords records = RecordsOf(options);
    RecordsWarningOnce recordsWarning;
    if (recordsWarning.First(records.warning))
        shown->PrintLine(records.warning);
    Bell bell = TerminalBell(options.bell, context.clock);
    // Devices of one kind share one loaded package.
    PackageShelf packages(places, context.clock);
    const WorkerOptions workerOptions{options.verify, options.expectedSha256, records.settings, &recordsWarning,
                                      options.retry, &bell, [&guard] { return guard.Interrupted(); }};
    const WorkerSetup setup{context, *shown, packages, places, workerOptions};
    std::vector<std::vector<DeviceRun>> attempts(firsts.size());
    bool noticeShown = false;
    {
        Workers workers;
        for (size_t i = 0; i < firsts.size(); ++i)
            workers.Start([&, i] { attempts[i] = RunWorker(setup, static_cast<int>(i), firsts[i]); });
        workers.WaitAll([&] {
            if (guard.Interrupted() && !std::exchange(noticeShown, true))
                shown->PrintLine(kFlashInterruptNoticeDevices);
        });
    }
    shown->Finish();

    std::vector<DeviceRun> runs;
    for (const std::vector<DeviceRun>& device : attempts)
        runs.insert(runs.end(), device.begin(), device.end());
    if (options.json)
        for (const DeviceRun& run : runs) {
            DeviceResult result;
            result.device = run.device;
            result.kind = run.outcome == UpdateOutcome::Success ? DeviceResultKind::Updated : DeviceResultKind::Failed;
            result.message = run.message;
            result.cause = run.cause;
            WriteResult(run.device, run.package, ExitCodeOf(run.outcome), run.elapsedMs, &result, run.attempt);
        }
    else
        PrintResultTable(runs);
    return HighestExitCode(OutcomesOf(runs));
}
