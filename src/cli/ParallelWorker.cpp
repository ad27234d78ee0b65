#include "cli/ParallelWorker.h"

#include <algorithm>

#include "backends/DevicePermission.h"
#include "cli/BootloaderStep.h"
#include "cli/TerminalPage.h"
#include "engine/EngineTexts.h"
#include "engine/ProgressPage.h"
#include "engine/UpdateMessages.h"
#include "engine/UpdateRun.h"
#include "engine/UpdateSession.h"
#include "hid/CommandSet.h"
#include "hid/Presence.h"
#include "hid/ReleaseProbe.h"
#include "package/Package.h"
#include "platform/DeviceSelection.h"
#include "platform/Services.h"

namespace {

// One device's share of the display: its page and its message boxes.
class DevicePage final : public ProgressPage {
public:
    DevicePage(DeviceDisplay& display, int device) : m_display(display), m_device(device) {}
    void SetAreaText(const std::string& text) override { m_display.SetArea(m_device, text); }
    void SetStatusText(const std::string& text) override
    {
        m_display.SetStatus(m_device, text, m_nPos.load(), m_nRemainMs);
    }
    void PostProgressUpdate() override { m_display.SetPercent(m_device, m_nPos.load(), m_nRemainMs); }
    void EnterPhase(UpdatePhase phase) override { m_display.EnterPhase(m_device, phase); }

private:
    DeviceDisplay& m_display;
    const int m_device;
};

class DevicePrompter final : public Prompter {
public:
    DevicePrompter(DeviceDisplay& display, int device) : m_display(display), m_device(device) {}
    void ShowMessage(const std::string& text) override { m_display.PrintMessage(m_device, text); }

private:
    DeviceDisplay& m_display;
    const int m_device;
};

// The whole sequence for one device, seeing only that device: release probe
// and package, boot-loader check, then the update itself.
UpdateOutcome UpdateOneDevice(DevicePage& page)
{
    std::string summary;
    int deviceSpecific = 0;
    if (!LoadPackage(&summary, &deviceSpecific, ProbeDeviceRelease))
        return UpdateOutcome::PackageLoadFailed;
    if (!IsDevicePresent())
        return UpdateOutcome::NoDevice;
    SelectCommandSet(deviceSpecific);
    if (CheckBootloader(page) == 0) {
        ReleasePackageBuffers();
        GetPrompter().ShowMessage(WithDevicePermissionHint(kMsgBootloaderFailed));
        return UpdateOutcome::Bootloader;
    }
    page.SetStatusText(kWaitingForDevicesText);
    UpdateThreadProc(&page);
    return page.m_outcome.load();
}

} // namespace

int HighestExitCode(const std::vector<DeviceRun>& runs)
{
    int code = 0;
    for (const DeviceRun& run : runs)
        code = std::max(code, ExitCodeOf(run.outcome));
    return code;
}

std::string ResultText(UpdateOutcome outcome)
{
    return outcome == UpdateOutcome::Success ? "升级成功" : "升级失败 (" + std::to_string(ExitCodeOf(outcome)) + ")";
}

void RunWorker(HidBackend& backend, Clock& clock, DeviceDisplay& display, int index, bool verify, DeviceRun& run)
{
    DeviceSelectionBackend view(backend, {run.device.location});
    DevicePrompter prompter(display, index);
    DevicePage page(display, index);
    UpdateSession session;
    session.progress.m_verify = verify;
    ScopedThreadServices services({.hid = &view, .prompter = &prompter});
    ScopedThreadSession bound(session);
    const uint32_t t0 = clock.TickCount();
    run.outcome = UpdateOneDevice(page);
    run.elapsedMs = clock.TickCount() - t0;
    // A device that failed before its update started has no status line yet.
    if (run.outcome != UpdateOutcome::Success && run.outcome != UpdateOutcome::UpdateFailed)
        display.SetStatus(index, ResultText(run.outcome), page.m_nPos.load(), page.m_nRemainMs);
}
