#include "cli/ParallelWorker.h"

#include <algorithm>

#include "hid/DevicePermission.h"
#include "bootloader/BootloaderRefresh.h"
#include "cli/BootloaderStep.h"
#include "cli/TerminalPage.h"
#include "texts/UserTexts.h"
#include "engine/ProgressPage.h"
#include "engine/RunLog.h"
#include "engine/UpdateJob.h"
#include "texts/UserTexts.h"
#include "engine/UpdateRun.h"
#include "hid/DeviceKind.h"
#include "hid/DeviceSet.h"
#include "hid/ReleaseProbe.h"
#include "package/PackageSearch.h"
#include "platform/DeviceSelection.h"
#include "platform/ProgramDirectory.h"
#include "platform/SystemPath.h"

namespace {

// One device's share of the display: its page and its message boxes.
class DevicePage final : public ProgressPage {
public:
    DevicePage(DeviceDisplay& display, int device) : m_display(display), m_device(device) {}
    void OnProgress(const ProgressEvent& event) override
    {
        switch (event.change) {
        case ProgressEvent::Change::Phase:
            m_display.EnterPhase(m_device, event.phase);
            break;
        case ProgressEvent::Change::Area:
            m_display.SetArea(m_device, event.areaText);
            break;
        case ProgressEvent::Change::Status:
            m_display.SetStatus(m_device, event.statusText, event.percent, event.remainMs);
            break;
        case ProgressEvent::Change::Percent:
            m_display.SetPercent(m_device, event.percent, event.remainMs);
            break;
        }
    }
    void ShowMessage(const std::string& text, const DeviceFailure*) override { m_display.PrintMessage(m_device, text); }

private:
    DeviceDisplay& m_display;
    const int m_device;
};

std::string FileNameOf(const std::string& path)
{
    return PathToUtf8(PathFromUtf8(path).filename());
}

// The whole sequence for one device, seeing only that device: release probe
// and package, boot-loader check, then the update itself.
UpdateOutcome UpdateOneDevice(const WorkerSetup& setup, DeviceSet& devices, DevicePage& page, DeviceRun& run)
{
    const ReleaseProbe probe = ProbeDeviceRelease(devices.Backend(), devices.GetClock());
    PackageLoad load = setup.packages.For(probe.releaseText);
    run.package = FileNameOf(load.path);
    if (!load) {
        run.message = load.message;
        page.ShowMessage(load.message, nullptr);
        return UpdateOutcome::PackageLoadFailed;
    }
    if (!devices.IsDevicePresent())
        return UpdateOutcome::NoDevice;
    // The device there now chooses: another device may have been plugged in
    // at this place since it was listed.
    const std::optional<DeviceKind> kind = CommonKind(devices.List());
    if (!kind)
        return UpdateOutcome::NoDevice;
    if (!load.named && *kind != KindOf(probe)) {
        load = setup.packages.For(ReleaseTextOf(*kind));
        run.package = FileNameOf(load.path);
        if (!load) {
            run.message = load.message;
            page.ShowMessage(load.message, nullptr);
            return UpdateOutcome::PackageLoadFailed;
        }
        page.ShowMessage("kt7-flash: the device now attached takes " + run.package + "; using " + load.path,
                         nullptr);
    }
    devices.SelectCommandSet(kind->deviceSpecific ? 1 : 0);
    LogRunStart(devices.Log(), "kt7-flash", *load.package, devices.List(), setup.verify);
    const std::string image = FindBootloaderImage(load.package->path, GetProgramDirectory(), kBootloaderImageName);
    UpdateJob job(devices, std::move(load.package));
    job.progress.m_verify = setup.verify;
    if (CheckBootloader(job, page, image) == 0) {
        run.message = kMsgBootloaderFailed;
        page.ShowMessage(WithDevicePermissionHint(devices.Backend(), kMsgBootloaderFailed), nullptr);
        return UpdateOutcome::Bootloader;
    }
    SetStatusText(job.progress, page, kWaitingForDevicesText, 0);
    UpdateThreadProc(&page, job);
    run.message = job.progress.m_failureMessage;
    return job.progress.m_outcome.load();
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

void RunWorker(const WorkerSetup& setup, int index, DeviceRun& run)
{
    DeviceSelectionBackend view(setup.context.hid, {run.device.location});
    DeviceSet devices(view, setup.context.clock, setup.context.diagnostics);
    devices.NumberDevicesFrom(index);
    DevicePage page(setup.display, index);
    const uint32_t t0 = setup.context.clock.TickCount();
    run.outcome = UpdateOneDevice(setup, devices, page, run);
    run.elapsedMs = setup.context.clock.TickCount() - t0;
    if (run.outcome != UpdateOutcome::Success && devices.Failure())
        run.cause = FailureText(*devices.Failure());
    DeviceResult result;
    result.device = run.device;
    result.kind = run.outcome == UpdateOutcome::Success ? DeviceResultKind::Updated : DeviceResultKind::Failed;
    result.message = run.message.empty() && run.outcome != UpdateOutcome::Success ? ResultText(run.outcome) : run.message;
    result.cause = run.cause;
    LogDeviceResults(setup.context.diagnostics, {result});
    // A device that failed before its update started has no status line yet.
    if (run.outcome != UpdateOutcome::Success && run.outcome != UpdateOutcome::UpdateFailed)
        setup.display.SetStatus(index, ResultText(run.outcome), 0, 0);
}
