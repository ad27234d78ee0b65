#include <unistd.h>

#include <cstdio>
#include <optional>
#include <thread>
#include <vector>

#include "backends/DevicePermission.h"
#include "bootloader/BootloaderRefresh.h"
#include "cli/Commands.h"
#include "cli/DeviceResults.h"
#include "cli/TerminalPage.h"
#include "engine/EngineTexts.h"
#include "engine/ProgressState.h"
#include "engine/UpdateMessages.h"
#include "engine/UpdateRun.h"
#include "hid/CommandSet.h"
#include "hid/MixedDevices.h"
#include "hid/Presence.h"
#include "hid/ReleaseProbe.h"
#include "package/Package.h"
#include "platform/InterruptGuard.h"
#include "platform/Services.h"
#include "platform/UpdateLock.h"

namespace {

constexpr char kInterruptNotice[] =
    "kt7-flash: the update is being finished; interrupting it now would leave the device half-written.\n";

// From the boot-loader refresh to the end command, under the interrupt guard.
UpdateOutcome RunDevicePhase(const CliOptions& options)
{
    InterruptGuard guard(kInterruptNotice);
    if (UpdateBootloader() == 0) {
        GetPrompter().ShowMessage(WithDevicePermissionHint(kMsgBootloaderFailed));
        return UpdateOutcome::Bootloader;
    }

    // Diagnostic lines echoed with -v would tear a redrawn line apart.
    TerminalPage page(stderr, isatty(STDERR_FILENO) != 0 && !options.verbose);
    TerminalPrompter prompter(page);
    const std::vector<HidDeviceInfo> devices = UpdatedDevices();
    // The run starts with the reset, and the devices take seconds to come back.
    page.SetStatusText(kWaitingForDevicesText);
    {
        ScopedServices scope({.prompter = &prompter});
        CurrentProgress().m_verify = options.verify;
        std::thread worker(UpdateThreadProc, &page);
        worker.join();
    }
    page.Finish();
    const UpdateOutcome outcome = page.m_outcome.load();
    std::printf("\n");
    for (const HidDeviceInfo& device : devices)
        std::printf("%s\n", DeviceResultLine(device, outcome == UpdateOutcome::Success).c_str());
    return outcome;
}

UpdateOutcome RunUpdateSequence(const CliOptions& options, const std::string& lockPath)
{
    std::string summary;
    int deviceSpecific = 0;
    if (!LoadPackage(&summary, &deviceSpecific, ProbeDeviceRelease))
        return UpdateOutcome::PackageLoadFailed;
    PrintSummary(summary);

    UpdateLock lock(lockPath);
    if (!lock.Held()) {
        GetPrompter().ShowMessage(kMsgAnotherUpdateRunning);
        return UpdateOutcome::Locked;
    }
    if (!IsDevicePresent()) {
        GetPrompter().ShowMessage(kMsgDeviceNotFound);
        return UpdateOutcome::NoDevice;
    }
    if (AreMixedDevicesAttached()) {
        GetPrompter().ShowMessage(kMsgMixedDevices);
        return UpdateOutcome::MixedDevices;
    }
    SelectCommandSet(deviceSpecific);
    GetPrompter().ShowMessage(kMsgDoNotDisturb);
    return RunDevicePhase(options);
}

} // namespace

// The wizard's sequence without windows: welcome page, Next, progress page.
UpdateOutcome RunUpdateCommand(const CliOptions& options, const std::string& lockPath)
{
    const UpdateOutcome outcome = RunUpdateSequence(options, lockPath);
    // After an update the run has released the buffers already.
    ReleasePackageBuffers();
    return outcome;
}
