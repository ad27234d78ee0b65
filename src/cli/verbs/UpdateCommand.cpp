// kt7-flash update, in step: the wizard's sequence without windows. The
// wizard decides; this only prints what it answers.

#include <unistd.h>

#include <cstdio>
#include <vector>

#include "cli/RecordsOptions.h"
#include "cli/json/JsonPage.h"
#include "cli/json/UpdateJson.h"
#include "cli/terminal/Bell.h"
#include "cli/terminal/ConsoleRedraw.h"
#include "cli/terminal/Results.h"
#include "cli/terminal/TerminalPage.h"
#include "cli/verbs/Commands.h"
#include "cli/verbs/UpdatedDevices.h"
#include "platform/InterruptGuard.h"
#include "platform/SystemPath.h"
#include "texts/UserTexts.h"
#include "wizard/PackageFileName.h"
#include "wizard/UpdateWizard.h"

namespace {

std::string FileNameOf(const std::string& path)
{
    return PathToUtf8(PathFromUtf8(path).filename());
}

// The device phase under the interrupt guard, drawn on the terminal or as
// JSON lines (every device takes each step together: the lines name none).
void RunDevicePhase(const CliOptions& options, UpdateWizard& wizard)
{
    InterruptGuard guard(kFlashInterruptNotice);
    // Diagnostic lines echoed with -v would tear a redrawn line apart.
    TerminalPage terminal(stderr, RedrawsInPlace(STDERR_FILENO) && !options.verbose);
    JsonPage json(std::nullopt);
    DevicePhaseView& view = options.json ? static_cast<DevicePhaseView&>(json) : terminal;
    wizard.RunDevicePhase(view);
    terminal.Finish();
}

struct Ending {
    UpdateOutcome outcome = UpdateOutcome::UpdateFailed;
    std::string packagePath;  // the package loaded, or where it was looked for
};

Ending RunWizard(const CliOptions& options, RunContext& context, UpdateWizard& wizard)
{
    Prompter& say = context.prompter;
    const WelcomeState state = wizard.Start();
    if (!state.note.empty())
        say.ShowMessage(state.note);
    if (state.kind != WelcomeState::Kind::Loaded) {
        say.ShowMessage(state.message);
        wizard.EndWithoutRun(UpdateOutcome::PackageLoadFailed, state.message);
        return {UpdateOutcome::PackageLoadFailed, state.path};
    }
    if (!options.json)
        PrintSummary(state.summary);

    NextAnswer answer = wizard.Next();
    // A terminal has no page to stay on: the package of the devices attached
    // now is the one used, and the user is told which.
    if (answer.kind == NextAnswer::Kind::KindChanged && answer.welcomeChanged) {
        std::fprintf(stderr, "%s\n", FlashUsingPackageText(FileNameOf(answer.welcome.path), answer.welcome.path).c_str());
        if (!options.json)
            PrintSummary(answer.welcome.summary);
        answer = wizard.Next();
    }
    if (answer.kind != NextAnswer::Kind::GoOn) {
        say.ShowMessage(answer.message);
        // The devices are another update's: that one keeps their records.
        if (answer.outcome != UpdateOutcome::Locked)
            wizard.EndWithoutRun(answer.outcome, answer.message);
        return {answer.outcome, wizard.Welcome().path};
    }
    say.ShowMessage(answer.message);
    RunDevicePhase(options, wizard);
    return {wizard.End().outcome, wizard.Welcome().path};
}

} // namespace

UpdateOutcome RunUpdateCommand(const CliOptions& options, RunContext& context, const PackagePlaces& places,
                               const std::string& lockPath)
{
    const std::vector<HidDeviceInfo> devices = UpdatedDevices(context.hid);
    const CliRecords records = RecordsOf(options);
    if (!records.warning.empty())
        std::fprintf(stderr, "%s\n", records.warning.c_str());
    WizardSetup setup{context, places, options.verify, lockPath};
    setup.expectedSha256 = options.expectedSha256;
    setup.records = records.settings;
    UpdateWizard wizard(setup);
    const Ending ending = RunWizard(options, context, wizard);
    if (!wizard.End().recordsWarning.empty())
        std::fprintf(stderr, "%s\n", wizard.End().recordsWarning.c_str());
    if (!devices.empty())
        TerminalBell(options.bell, context.clock).Ring(ending.outcome != UpdateOutcome::Success);
    const std::vector<DeviceResult> results = wizard.HasRun() ? wizard.End().results : std::vector<DeviceResult>{};
    if (!options.json && !results.empty()) {
        std::printf("\n");
        for (const DeviceResult& result : results)
            std::printf("%s\n", DeviceResultLine(result).c_str());
    }
    // One package for every device: the one the run loaded, or looked for.
    if (options.json)
        for (const HidDeviceInfo& device : devices) {
            const DeviceResult* result = nullptr;
            for (const DeviceResult& r : results)
                if (r.device.location == device.location)
                    result = &r;
            const std::string package =
                ending.packagePath.empty() ? PackageFileNameFor(device.releaseNumber) : FileNameOf(ending.packagePath);
            WriteResult(device, package, ExitCodeOf(ending.outcome), {}, result);
        }
    return ending.outcome;
}
