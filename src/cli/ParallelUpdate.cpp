#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "backends/DevicePermission.h"
#include "cli/BootloaderStep.h"
#include "cli/Commands.h"
#include "cli/DeviceResults.h"
#include "cli/DisplayWidth.h"
#include "cli/JsonDeviceDisplay.h"
#include "cli/ParallelDisplay.h"
#include "cli/TerminalPage.h"
#include "cli/UpdateJson.h"
#include "engine/EngineTexts.h"
#include "engine/ProgressPage.h"
#include "engine/UpdateMessages.h"
#include "engine/UpdateRun.h"
#include "engine/UpdateSession.h"
#include "hid/CommandSet.h"
#include "hid/Presence.h"
#include "hid/ReleaseProbe.h"
#include "platform/DeviceSelection.h"
#include "platform/InterruptGuard.h"
#include "platform/Services.h"
#include "platform/UpdateLock.h"

namespace {

constexpr char kInterruptNotice[] =
    "kt7-flash: the update is being finished; interrupting it now would leave the devices half-written.\n";

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

struct DeviceRun {
    HidDeviceInfo device;
    std::string package;
    UpdateOutcome outcome = UpdateOutcome::UpdateFailed;
    uint32_t elapsedMs = 0;
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

void PrintTable(const std::vector<DeviceRun>& runs)
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
        shown = std::make_unique<ParallelDisplay>(stderr, isatty(STDERR_FILENO) != 0 && !options.verbose, locations);
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
        PrintTable(runs);
    int code = 0;
    for (const DeviceRun& run : runs)
        code = std::max(code, ExitCodeOf(run.outcome));
    return code;
}
