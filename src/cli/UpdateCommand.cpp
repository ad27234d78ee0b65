#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "hid/DevicePermission.h"
#include "bootloader/BootloaderRefresh.h"
#include "cli/BootloaderStep.h"
#include "cli/Commands.h"
#include "cli/DeviceResults.h"
#include "cli/JsonPage.h"
#include "cli/TerminalPage.h"
#include "texts/UserTexts.h"
#include "engine/RunLog.h"
#include "engine/UpdateJob.h"
#include "texts/UserTexts.h"
#include "engine/UpdateRun.h"
#include "hid/DeviceKind.h"
#include "hid/DeviceSet.h"
#include "hid/ReleaseProbe.h"
#include "package/LoadPackage.h"
#include "package/PackageSearch.h"
#include "platform/InterruptGuard.h"
#include "platform/ProgramDirectory.h"
#include "platform/SystemPath.h"
#include "platform/UpdateLock.h"

namespace {

constexpr char kInterruptNotice[] =
    "kt7-flash: the update is being finished; interrupting it now would leave the device half-written.\n";

// What the sequence found out, for the results of every device.
struct SequenceEnd {
    UpdateOutcome outcome = UpdateOutcome::UpdateFailed;
    std::string packagePath;                // the package loaded, or where it was looked for
    std::vector<DeviceResult> results;      // empty when no device was touched
};

// From the boot-loader refresh to the end command, under the interrupt guard.
UpdateOutcome RunDevicePhase(const CliOptions& options, RunContext& context, DeviceSet& devices,
                             std::shared_ptr<const LoadedPackage> package, std::vector<DeviceResult>* results)
{
    InterruptGuard guard(kInterruptNotice);
    // Diagnostic lines echoed with -v would tear a redrawn line apart.
    TerminalPage terminal(stderr, isatty(STDERR_FILENO) != 0 && !options.verbose);
    // Every device takes each step together: the lines name no single one.
    JsonPage json(std::nullopt);
    ProgressPage& page = options.json ? static_cast<ProgressPage&>(json) : terminal;

    const std::vector<HidDeviceInfo> attached = devices.List();
    const std::string image = FindBootloaderImage(package->path, GetProgramDirectory(), kBootloaderImageName);
    devices.ClearFailure();
    UpdateJob job(devices, std::move(package));
    job.progress.m_verify = options.verify;
    if (CheckBootloader(job, page, image) == 0) {
        context.prompter.ShowMessage(WithDevicePermissionHint(context.hid, kMsgBootloaderFailed));
        *results = InStepResults(attached, false, kMsgBootloaderFailed, devices.Failure());
        return UpdateOutcome::Bootloader;
    }
    // The run starts with the reset, and the devices take seconds to come back.
    SetStatusText(job.progress, page, kWaitingForDevicesText, 0);
    std::thread worker([&page, &job] { UpdateThreadProc(&page, job); });
    worker.join();
    terminal.Finish();
    const UpdateOutcome outcome = job.progress.m_outcome.load();
    *results = InStepResults(attached, outcome == UpdateOutcome::Success, job.progress.m_failureMessage, job.failure);
    return outcome;
}

// Loads the package for devices of `releaseText`'s kind; shows the failure.
std::optional<PackageLoad> Load(RunContext& context, const PackagePlaces& places, const std::string& releaseText,
                                std::string* packagePath)
{
    PackageLoad load = LoadPackage(places, releaseText, context.clock.TickCount());
    *packagePath = load.path;
    if (!load) {
        context.prompter.ShowMessage(load.message);
        return std::nullopt;
    }
    return load;
}

SequenceEnd RunUpdateSequence(const CliOptions& options, RunContext& context, const PackagePlaces& places,
                              const std::string& lockPath)
{
    SequenceEnd end;
    const ReleaseProbe probe = ProbeDeviceRelease(context.hid, context.clock);
    if (!probe.found)
        context.prompter.ShowMessage(kMsgConnectDevice);
    std::optional<PackageLoad> load = Load(context, places, probe.releaseText, &end.packagePath);
    if (!load) {
        end.outcome = UpdateOutcome::PackageLoadFailed;
        return end;
    }
    if (!options.json)
        PrintSummary(load->package->summary);

    UpdateLock lock(lockPath, context.diagnostics);
    if (!lock.Held()) {
        context.prompter.ShowMessage(kMsgAnotherUpdateRunning);
        end.outcome = UpdateOutcome::Locked;
        return end;
    }
    DeviceSet devices(context.hid, context.clock, context.diagnostics);
    if (!devices.IsDevicePresent()) {
        context.prompter.ShowMessage(kMsgDeviceNotFound);
        end.outcome = UpdateOutcome::NoDevice;
        return end;
    }
    const std::optional<DeviceKind> kind = CommonKind(devices.List());
    if (!kind) {
        context.prompter.ShowMessage(kMsgMixedDevices);
        end.outcome = UpdateOutcome::MixedDevices;
        return end;
    }
    // The devices attached now choose: a device plugged in since the start may
    // be of another kind, and must never get the other kind's package or codes.
    if (!load->named && *kind != KindOf(probe)) {
        load = Load(context, places, ReleaseTextOf(*kind), &end.packagePath);
        if (!load) {
            end.outcome = UpdateOutcome::PackageLoadFailed;
            return end;
        }
        std::fprintf(stderr, "kt7-flash: the devices attached now take %s; using %s\n",
                     PathToUtf8(PathFromUtf8(load->path).filename()).c_str(), load->path.c_str());
        if (!options.json)
            PrintSummary(load->package->summary);
    }
    devices.SelectCommandSet(kind->deviceSpecific ? 1 : 0);
    LogRunStart(context.diagnostics, "kt7-flash", *load->package, devices.List(), options.verify);
    context.prompter.ShowMessage(kMsgDoNotDisturb);
    end.outcome = RunDevicePhase(options, context, devices, load->package, &end.results);
    LogDeviceResults(context.diagnostics, end.results);
    return end;
}

std::string FileNameOf(const std::string& packagePath, const HidDeviceInfo& device)
{
    if (packagePath.empty())
        return PackageFileNameFor(device.releaseNumber);
    return PathToUtf8(PathFromUtf8(packagePath).filename());
}

} // namespace

// The wizard's sequence without windows: welcome page, Next, progress page.
UpdateOutcome RunUpdateCommand(const CliOptions& options, RunContext& context, const PackagePlaces& places,
                               const std::string& lockPath)
{
    const std::vector<HidDeviceInfo> devices = UpdatedDevices(context.hid);
    const SequenceEnd end = RunUpdateSequence(options, context, places, lockPath);
    if (!options.json && !end.results.empty()) {
        std::printf("\n");
        for (const DeviceResult& result : end.results)
            std::printf("%s\n", DeviceResultLine(result).c_str());
    }
    // One package for every device: the one the run loaded, or looked for.
    if (options.json)
        for (const HidDeviceInfo& device : devices) {
            const DeviceResult* result = nullptr;
            for (const DeviceResult& r : end.results)
                if (r.device.location == device.location)
                    result = &r;
            WriteResult(device, FileNameOf(end.packagePath, device), ExitCodeOf(end.outcome), {}, result);
        }
    return end.outcome;
}
