#include "cli/verbs/ParallelWorker.h"

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
    void OnProgress(const ProgressEvent& event) override { m_display.OnProgress(m_device, event); }
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

void RunWorker(const WorkerSetup& setup, int index, DeviceRun& run)
{
    DeviceSelectionBackend view(setup.context.hid, {run.device.location});
    DevicePage page(setup.display, index);
    RunContext context{view, setup.context.clock, page, setup.context.diagnostics};
    WizardSetup wizardSetup{context, setup.places, setup.verify, ""};
    wizardSetup.packages = &setup.packages;
    wizardSetup.firstDeviceNumber = index;
    wizardSetup.expectedSha256 = setup.expectedSha256;
    UpdateWizard wizard(wizardSetup);

    const uint32_t t0 = setup.context.clock.TickCount();
    run.outcome = UpdateOneDevice(wizard, page, run);
    run.elapsedMs = setup.context.clock.TickCount() - t0;
    // Once its update ran, the device's time is the run's, which its status
    // line gives; the worker's own time is for one that stopped before.
    const bool ran = run.outcome == UpdateOutcome::Success || run.outcome == UpdateOutcome::UpdateFailed;
    if (wizard.HasRun() && ran)
        run.elapsedMs = wizard.End().elapsedMs;
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
        result.message = run.message.empty() ? ResultText(ExitCodeOf(run.outcome)) : run.message;
        LogDeviceResults(setup.context.diagnostics, {result});
    }
    // A device that failed before its update started has no status line yet.
    if (run.outcome != UpdateOutcome::Success && run.outcome != UpdateOutcome::UpdateFailed) {
        ProgressEvent ended;
        ended.change = ProgressEvent::Change::Status;
        ended.statusText = ResultText(ExitCodeOf(run.outcome));
        setup.display.OnProgress(index, ended);
    }
}
