#include "cli/ParallelWorker.h"

#include <algorithm>

#include "engine/RunLog.h"
#include "platform/DeviceSelection.h"
#include "platform/SystemPath.h"
#include "texts/UserTexts.h"
#include "wizard/UpdateWizard.h"

namespace {

// One device's share of the display: its row, and its message boxes as lines.
class DevicePage final : public DevicePhaseView, public Prompter {
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
    void ShowMessage(const std::string& text) override { m_display.PrintMessage(m_device, text); }

private:
    DeviceDisplay& m_display;
    const int m_device;
};

std::string FileNameOf(const std::string& path)
{
    return PathToUtf8(PathFromUtf8(path).filename());
}

// The wizard's sequence for one device, seeing only that device; the run
// holds the lock for all of them.
UpdateOutcome UpdateOneDevice(UpdateWizard& wizard, DevicePage& page, DeviceRun& run)
{
    const WelcomeState state = wizard.Start();
    run.package = FileNameOf(state.path);
    if (state.kind != WelcomeState::Kind::Loaded) {
        run.message = state.message;
        page.ShowMessage(state.message);
        return UpdateOutcome::PackageLoadFailed;
    }
    NextAnswer answer = wizard.Next();
    // Another device was plugged in at this place since it was listed.
    if (answer.kind == NextAnswer::Kind::KindChanged && answer.welcomeChanged) {
        run.package = FileNameOf(answer.welcome.path);
        page.ShowMessage(FlashUsingPackageText(run.package, answer.welcome.path));
        answer = wizard.Next();
    }
    if (answer.kind != NextAnswer::Kind::GoOn) {
        run.message = answer.message;
        page.ShowMessage(answer.message);
        return answer.outcome;
    }
    wizard.RunDevicePhase(page);
    return wizard.End().outcome;
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
    return outcome == UpdateOutcome::Success ? kResultUpdated : FailedWithCodeText(ExitCodeOf(outcome));
}

void RunWorker(const WorkerSetup& setup, int index, DeviceRun& run)
{
    DeviceSelectionBackend view(setup.context.hid, {run.device.location});
    DevicePage page(setup.display, index);
    RunContext context{view, setup.context.clock, page, setup.context.diagnostics};
    WizardSetup wizardSetup{context, setup.places, setup.verify, ""};
    wizardSetup.packages = &setup.packages;
    wizardSetup.firstDeviceNumber = index;
    UpdateWizard wizard(wizardSetup);

    const uint32_t t0 = setup.context.clock.TickCount();
    run.outcome = UpdateOneDevice(wizard, page, run);
    run.elapsedMs = setup.context.clock.TickCount() - t0;
    if (wizard.HasRun() && !wizard.End().results.empty()) {
        const DeviceResult& result = wizard.End().results.front();
        if (run.outcome != UpdateOutcome::Success) {
            run.message = result.message;
            run.cause = result.cause;
        }
    } else if (run.outcome != UpdateOutcome::Success) {
        // It ended before its run began: the log still says how.
        DeviceResult result;
        result.device = run.device;
        result.message = run.message.empty() ? ResultText(run.outcome) : run.message;
        LogDeviceResults(setup.context.diagnostics, {result});
    }
    // A device that failed before its update started has no status line yet.
    if (run.outcome != UpdateOutcome::Success && run.outcome != UpdateOutcome::UpdateFailed)
        setup.display.SetStatus(index, ResultText(run.outcome), 0, 0);
}
