#include <unistd.h>

#include <cstdio>
#include <optional>
#include <thread>

#include "bootloader/BootloaderRefresh.h"
#include "cli/Commands.h"
#include "cli/TerminalPage.h"
#include "engine/EngineTexts.h"
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

constexpr char kDeviceNotFoundHelp[] =
    "无法找到设备，请确认：\n\n  1)USB线是否正常连接电脑和设备；\n\n"
    "  2)设备连接到电脑请等待2~3秒，待电脑识别到USB设备后，再升级；\n\n"
    "  3)如果还未识别请断开USB，再次连接，等待数秒后重试。";
constexpr char kDoNotDisturbWarning[] = "升级过程中请勿移动电子狗或USB连接线！";
constexpr char kBootloaderRefused[] = "Failed to update in bootloader!";
constexpr char kInterruptNotice[] =
    "kt7-flash: the update is being finished; interrupting it now would leave the device half-written.\n";

// From the boot-loader refresh to the end command, under the interrupt guard.
UpdateOutcome RunDevicePhase()
{
    InterruptGuard guard(kInterruptNotice);
    if (UpdateBootloader() == 0) {
        GetPrompter().ShowMessage(kBootloaderRefused);
        return UpdateOutcome::Bootloader;
    }

    TerminalPage page(isatty(STDOUT_FILENO) != 0);
    TerminalPrompter prompter(page);
    {
        ScopedServices scope({.prompter = &prompter});
        std::thread worker(UpdateThreadProc, &page);
        worker.join();
    }
    page.Finish();
    return page.m_outcome.load();
}

UpdateOutcome RunUpdateSequence(const std::string& lockPath)
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
        GetPrompter().ShowMessage(kDeviceNotFoundHelp);
        return UpdateOutcome::NoDevice;
    }
    if (AreMixedDevicesAttached()) {
        GetPrompter().ShowMessage(kMsgMixedDevices);
        return UpdateOutcome::MixedDevices;
    }
    SelectCommandSet(deviceSpecific);
    GetPrompter().ShowMessage(kDoNotDisturbWarning);
    return RunDevicePhase();
}

} // namespace

// The wizard's sequence without windows: welcome page, Next, progress page.
UpdateOutcome RunUpdateCommand(const std::string& lockPath)
{
    const UpdateOutcome outcome = RunUpdateSequence(lockPath);
    // After an update the run has released the buffers already.
    ReleasePackageBuffers();
    return outcome;
}
