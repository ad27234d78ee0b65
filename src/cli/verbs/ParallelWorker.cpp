#include "cli/verbs/ParallelWorker.h"

#include "cli/verbs/UpdatedDevices.h"
#include "platform/DeviceSelection.h"
#include "platform/SystemPath.h"
#include "texts/UserTexts.h"
#include "wizard/UpdateWizard.h"

namespace {

// How often a failed device is looked for while it is waited for.
constexpr uint32_t kLookForDeviceEveryMs = 500;

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
// holds the lock for all of them. An attempt that ends before its run is
// ended in the wizard too, so that its log and record say how.
UpdateOutcome UpdateOneDevice(UpdateWizard& wizard, DevicePage& page, DeviceRun& run)
{
    const WelcomeState state = wizard.Start();
    run.package = FileNameOf(state.path);
    if (state.kind != WelcomeState::Kind::Loaded) {
        run.message = state.message;
        page.ShowMessage(state.message);
        wizard.EndWithoutRun(UpdateOutcome::PackageLoadFailed, state.message);
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
        wizard.EndWithoutRun(answer.outcome, answer.message);
        return answer.outcome;
    }
    wizard.RunDevicePhase(page);
    return wizard.End().outcome;
}

// One attempt at the device, from the start of its sequence.
DeviceRun RunAttempt(const WorkerSetup& setup, int index, const DeviceRun& first, int attempt)
{
    DeviceRun run = first;
    run.attempt = attempt;
    DeviceSelectionBackend view(setup.context.hid, {run.device.location});
    DevicePage page(setup.display, index);
    RunContext context{view, setup.context.clock, page, setup.context.diagnostics};
    const WorkerOptions& options = setup.options;
    WizardSetup wizardSetup{context, setup.places, options.verify, ""};
    wizardSetup.packages = &setup.packages;
    wizardSetup.firstDeviceNumber = index;
    wizardSetup.expectedSha256 = options.expectedSha256;
    wizardSetup.records = options.records;
    wizardSetup.records.attempt = attempt;
    UpdateWizard wizard(wizardSetup);

    const uint32_t t0 = setup.context.clock.TickCount();
    run.outcome = UpdateOneDevice(wizard, page, run);
    run.elapsedMs = setup.context.clock.TickCount() - t0;
    const EndState& end = wizard.End();
    // Once its update ran, the device's time is the run's, which its status
    // line gives; the worker's own time is for one that stopped before.
    const bool ran = run.outcome == UpdateOutcome::Success || run.outcome == UpdateOutcome::UpdateFailed;
    if (wizard.HasRun() && ran)
        run.elapsedMs = end.elapsedMs;
    if (wizard.HasRun() && !end.results.empty() && run.outcome != UpdateOutcome::Success) {
        run.message = end.results.front().message;
        run.cause = end.results.front().cause;
    }
    if (options.recordsWarning && options.recordsWarning->First(end.recordsWarning))
        setup.display.PrintLine(end.recordsWarning);
    // A device that failed before its update started has no status line yet.
    if (run.outcome != UpdateOutcome::Success && run.outcome != UpdateOutcome::UpdateFailed) {
        ProgressEvent ended;
        ended.change = ProgressEvent::Change::Status;
        ended.statusText = ResultText(ExitCodeOf(run.outcome));
        setup.display.OnProgress(index, ended);
    }
    return run;
}

// Waits, within kRetryWaitMs, until the device is there again at its
// location (after its reset, or plugged in anew).
bool WaitUntilThere(const WorkerSetup& setup, const std::string& location)
{
    DeviceSelectionBackend view(setup.context.hid, {location});
    Clock& clock = setup.context.clock;
    for (uint32_t waited = 0;; waited += kLookForDeviceEveryMs) {
        if (!UpdatedDevices(view).empty())
            return true;
        if (waited >= kRetryWaitMs || setup.options.stopping())
            return false;
        clock.Sleep(kLookForDeviceEveryMs);
    }
}

// A package that cannot be loaded fails the same way every time.
bool WorthRetrying(UpdateOutcome outcome)
{
    return outcome != UpdateOutcome::Success && outcome != UpdateOutcome::PackageLoadFailed;
}

} // namespace

std::vector<DeviceRun> RunWorker(const WorkerSetup& setup, int index, const DeviceRun& first)
{
    const WorkerOptions& options = setup.options;
    const int attempts = 1 + options.retries;
    std::vector<DeviceRun> runs = {RunAttempt(setup, index, first, 1)};
    while (runs.back().attempt < attempts && WorthRetrying(runs.back().outcome) && !options.stopping()) {
        const int next = runs.back().attempt + 1;
        setup.display.PrintMessage(index, FlashRetryText(next, attempts));
        // Its row: no area, waiting for the device.
        ProgressEvent waiting;
        waiting.change = ProgressEvent::Change::Area;
        setup.display.OnProgress(index, waiting);
        waiting.change = ProgressEvent::Change::Status;
        waiting.statusText = kWaitingForDevicesText;
        setup.display.OnProgress(index, waiting);
        if (!WaitUntilThere(setup, first.device.location)) {
            if (!options.stopping())
                setup.display.PrintMessage(index, FlashNotBackText(kRetryWaitMs));
            // Its row ends as its last attempt did.
            waiting.statusText = ResultText(ExitCodeOf(runs.back().outcome));
            setup.display.OnProgress(index, waiting);
            break;
        }
        runs.push_back(RunAttempt(setup, index, first, next));
    }
    if (options.bell)
        options.bell->Ring(runs.back().outcome != UpdateOutcome::Success);
    return runs;
}
