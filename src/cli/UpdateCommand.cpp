#include <unistd.h>

#include <cstdio>
#include <optional>
#include <thread>
#include <vector>

#include "backends/DevicePermission.h"
#include "cli/BootloaderStep.h"
#include "cli/Commands.h"
#include "cli/ConsoleRedraw.h"
#include "cli/DeviceResults.h"
#include "cli/JsonPage.h"
#include "cli/TerminalPage.h"
#include "engine/EngineTexts.h"
#include "engine/ProgressState.h"
#include "engine/UpdateMessages.h"
#include "engine/UpdateRun.h"
#include "engine/UpdateSession.h"
#include "hid/CommandSet.h"
#include "hid/MixedDevices.h"
#include "hid/Presence.h"
#include "hid/ReleaseProbe.h"
#include "package/Package.h"
#include "platform/InterruptGuard.h"
#include "platform/Services.h"
#include "platform/SystemPath.h"
#include "platform/UpdateLock.h"

namespace {

constexpr char kInterruptNotice[] =
    "kt7-flash: the update is being finished; interrupting it now would leave the device half-written.\n";

// From the boot-loader refresh to the end command, under the interrupt guard.
UpdateOutcome RunDevicePhase(const CliOptions& options)
{
    InterruptGuard guard(kInterruptNotice);
    // Diagnostic lines echoed with -v would tear a redrawn line apart.
    TerminalPage terminal(stderr, RedrawsInPlace(STDERR_FILENO) && !options.verbose);
    TerminalPrompter terminalPrompter(terminal);
    // Every device takes each step together: the lines name no single one.
    JsonPage json(std::nullopt);
    JsonPrompter jsonPrompter(std::nullopt);
    ProgressPage& page = options.json ? static_cast<ProgressPage&>(json) : terminal;
    Prompter& prompter = options.json ? static_cast<Prompter&>(jsonPrompter) : terminalPrompter;

    if (CheckBootloader(page) == 0) {
        GetPrompter().ShowMessage(WithDevicePermissionHint(kMsgBootloaderFailed));
        return UpdateOutcome::Bootloader;
    }
    const std::vector<HidDeviceInfo> devices = UpdatedDevices();
    // The run starts with the reset, and the devices take seconds to come back.
    page.SetStatusText(kWaitingForDevicesText);
    {
        ScopedServices scope({.prompter = &prompter});
        CurrentProgress().m_verify = options.verify;
        std::thread worker([&page, session = BoundSession{}] {
            ScopedThreadSession bound(session);
            UpdateThreadProc(&page);
        });
        worker.join();
    }
    terminal.Finish();
    const UpdateOutcome outcome = page.m_outcome.load();
    // Every device gets its --json result line from RunUpdateCommand.
    if (options.json)
        return outcome;
    std::printf("\n");
    for (const HidDeviceInfo& device : devices)
        std::printf("%s\n", DeviceResultLine(device, outcome == UpdateOutcome::Success).c_str());
    return outcome;
}

// `packagePath`: the package file loaded, or the first place it was looked for.
UpdateOutcome RunUpdateSequence(const CliOptions& options, const std::string& lockPath, std::string* packagePath)
{
    UpdateSession session;
    ScopedThreadSession bound(session);
    std::string summary;
    int deviceSpecific = 0;
    const bool loaded = LoadPackage(&summary, &deviceSpecific, ProbeDeviceRelease);
    *packagePath = CurrentPackage().m_packagePath;
    if (!loaded)
        return UpdateOutcome::PackageLoadFailed;
    if (!options.json)
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

std::string FileNameOf(const std::string& packagePath, const HidDeviceInfo& device)
{
    if (packagePath.empty())
        return PackageFileNameFor(device.releaseNumber);
    return PathToUtf8(PathFromUtf8(packagePath).filename());
}

} // namespace

// The wizard's sequence without windows: welcome page, Next, progress page.
UpdateOutcome RunUpdateCommand(const CliOptions& options, const std::string& lockPath)
{
    const std::vector<HidDeviceInfo> devices = UpdatedDevices();
    std::string packagePath;
    const UpdateOutcome outcome = RunUpdateSequence(options, lockPath, &packagePath);
    // After an update the run has released the buffers already.
    ReleasePackageBuffers();
    // One package for every device: the one the run loaded, or looked for.
    if (options.json)
        for (const HidDeviceInfo& device : devices)
            WriteResult(device, FileNameOf(packagePath, device), ExitCodeOf(outcome), {});
    return outcome;
}
