// The driver of kt7-updater.exe: the update wizard's model, over hidapi's
// Windows backend or simulated devices (KT7_SIMULATE). It turns the model's
// states into the steps the dialogs draw; it decides nothing itself.
//   kt7-updater.exe [-v] [--verify] [FILE|FOLDER]

#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <memory>
#include <optional>

#include "backends/BackendSelection.h"
#include "platform/Environment.h"
#include "platform/LogFile.h"
#include "platform/ProgramDirectory.h"
#include "platform/Prompter.h"
#include "platform/RunContext.h"
#include "platform/SystemPath.h"
#include "platform/WallTime.h"
#include "platform/WideText.h"
#include "records/RecordsPath.h"
#include "texts/UserTexts.h"
#include "win/WizardDriver.h"
#include "wizard/UpdateWizard.h"

namespace {

std::string DownloadsFolder()
{
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &path)))
        folder = WideToUtf8(path);
    CoTaskMemFree(path);
    return folder;
}

// The program's own name without ".exe": the caption of its message boxes.
std::string BoxCaption()
{
    std::string name = GetProgramName();
    if (name.size() > 4 && _stricmp(name.c_str() + name.size() - 4, ".exe") == 0)
        name.resize(name.size() - 4);
    return name;
}

struct Arguments {
    bool verify = false;
    std::string packageChoice;
    std::string unexpected;  // an argument the program does not take
};

Arguments ReadArguments(const std::vector<std::string>& arguments)
{
    Arguments read;
    for (const std::string& argument : arguments) {
        if (argument == "--verify")
            read.verify = true;
        else if (argument == "-v" || argument == "--verbose")
            continue;  // a Windows program has no standard error to echo to
        else if (!argument.empty() && argument[0] == '-')
            read.unexpected = argument;
        else if (read.packageChoice.empty())
            read.packageChoice = argument;
        else
            read.unexpected = argument;
    }
    return read;
}

// The device phase as the progress page shows it.
class SinkView final : public DevicePhaseView {
public:
    SinkView(DevicePhaseSink& sink, DiagnosticsSink& log) : m_sink(sink), m_log(log) {}
    void OnProgress(const ProgressEvent& event) override
    {
        switch (event.change) {
        case ProgressEvent::Change::Area:
            m_sink.SetAreaText(event.areaText);
            break;
        case ProgressEvent::Change::Status:
            m_sink.SetStatusText(event.statusText);
            break;
        case ProgressEvent::Change::Percent:
            m_sink.SetPercent(event.percent);
            break;
        case ProgressEvent::Change::Phase:
            break;
        }
    }
    void ShowMessage(const std::string& text) override
    {
        DiagPrintf(m_log, "Shown: %s\n", text.c_str());
        m_sink.ShowMessage({text, BoxCaption(), false});
    }

private:
    DevicePhaseSink& m_sink;
    DiagnosticsSink& m_log;
};

class ModelDriver final : public WizardDriver {
public:
    explicit ModelDriver(const std::vector<std::string>& arguments)
        : m_arguments(ReadArguments(arguments)), m_log(DefaultLogPath(), nullptr)
    {
        m_backend = CreateHidBackend(m_clock, m_log, &m_backendError);
        if (!m_backend)
            return;
        m_context.emplace(RunContext{*m_backend, m_clock, m_prompter, m_log});
        std::error_code noFolder;
        m_setup.emplace(WizardSetup{*m_context,
                                    {m_arguments.packageChoice, GetProgramDirectory(),
                                     PathToUtf8(std::filesystem::current_path(noFolder))},
                                    m_arguments.verify,
                                    UpdateLockPath()});
        m_setup->records = {DefaultRecordsPath(EnvironmentVariable), StationName(), 1};
        m_wizard = std::make_unique<UpdateWizard>(*m_setup);
    }

    ~ModelDriver() override
    {
        std::string error;
        if (m_backend && !FinishHidBackend(*m_backend, &error))
            DiagPrintf(m_log, "ERROR: %s\n", error.c_str());
    }

    std::string Caption() override
    {
        return SimulatedDevicesInUse() ? std::string(kPageCaption) + kSimulatedCaptionSuffix : kPageCaption;
    }

    WizardStep Start() override
    {
        if (!m_arguments.unexpected.empty())
            return Ending(kExitUsage, {Box("kt7-updater: unexpected argument " + m_arguments.unexpected)});
        if (!m_backend)
            return Ending(kExitUsage, {Box(m_backendError)});
        const WelcomeState state = m_wizard->Start();
        std::vector<WizardMessage> messages;
        if (!state.note.empty())
            messages.push_back(Box(state.note));
        switch (state.kind) {
        case WelcomeState::Kind::Loaded:
            return Welcome(state, std::move(messages));
        case WelcomeState::Kind::Damaged:
            messages.push_back(Box(state.message));
            return Ending(ExitCodeOf(UpdateOutcome::PackageLoadFailed), std::move(messages));
        case WelcomeState::Kind::NoPackage:
            if (state.messageFirst)
                messages.push_back(Box(state.message));
            return AskForPackage(std::move(messages));
        }
        return Ending(1, std::move(messages));
    }

    WizardStep ChooseFile(const std::string& path) override
    {
        const WelcomeState state = m_wizard->ChooseFile(path);
        if (state.kind == WelcomeState::Kind::Loaded)
            return Welcome(state, {});
        // A file that does not load leaves the package in use as it was; with
        // none yet, the user is asked again.
        if (m_shown)
            return Welcome(m_wizard->Welcome(), {Box(state.message)});
        return AskForPackage({Box(state.message)});
    }

    WizardStep Cancel() override
    {
        // The file dialog given up before any package was shown: nothing to update.
        return Ending(m_shown ? ExitCodeOf(UpdateOutcome::Cancelled) : ExitCodeOf(UpdateOutcome::PackageLoadFailed),
                      {});
    }

    WizardStep Next() override
    {
        const NextAnswer answer = m_wizard->Next();
        if (answer.kind == NextAnswer::Kind::GoOn) {
            WizardStep progress;
            progress.page = WizardPage::Progress;
            progress.messages.push_back({answer.message, Caption(), true});
            return progress;
        }
        return Welcome(answer.welcomeChanged ? answer.welcome : m_wizard->Welcome(), {Box(answer.message)});
    }

    void RunDevicePhase(DevicePhaseSink& sink) override
    {
        SinkView view(sink, m_log);
        m_wizard->RunDevicePhase(view);
    }

    WizardEnd End() override
    {
        const EndState& end = m_wizard->End();
        DiagPrintf(m_log, "Shown at the end: %s (exit code %d)\n", end.statusText.c_str(), end.exitCode);
        if (!end.recordsWarning.empty())
            DiagPrintf(m_log, "Shown at the end: %s\n", end.recordsWarning.c_str());
        return {end.statusText, end.recordsWarning, end.logPointer, end.exitCode};
    }

private:
    WizardMessage Box(const std::string& text)
    {
        DiagPrintf(m_log, "Shown: %s\n", text.c_str());
        return {text, BoxCaption(), false};
    }

    WizardStep Welcome(const WelcomeState& state, std::vector<WizardMessage> messages)
    {
        m_shown = true;
        WizardStep step;
        step.messages = std::move(messages);
        step.page = WizardPage::Welcome;
        step.summary = state.summary;
        step.pathLine = kPackagePathPrefix + state.path;
        step.fingerprint = FingerprintLine(state.sha256);
        step.fingerprintWhole = FingerprintWhole(state.sha256);
        return step;
    }

    WizardStep AskForPackage(std::vector<WizardMessage> messages)
    {
        WizardStep step;
        step.messages = std::move(messages);
        step.page = WizardPage::FileDialog;
        step.fileQuestion = {kFileDialogTitle, kFileDialogFilter, "KT7_Down*.dat", DownloadsFolder()};
        return step;
    }

    static WizardStep Ending(int exitCode, std::vector<WizardMessage> messages)
    {
        WizardStep step;
        step.messages = std::move(messages);
        step.page = WizardPage::End;
        step.exitCode = exitCode;
        return step;
    }

    const Arguments m_arguments;
    LogFileDiagnostics m_log;
    SteadyClock m_clock;
    // Messages reach the user through the dialogs' steps, never from deeper down.
    ConsolePrompter m_prompter;
    std::string m_backendError;
    std::unique_ptr<HidBackend> m_backend;
    std::optional<RunContext> m_context;
    std::optional<WizardSetup> m_setup;
    std::unique_ptr<UpdateWizard> m_wizard;
    bool m_shown = false;
};

} // namespace

std::unique_ptr<WizardDriver> CreateWizardDriver(const std::vector<std::string>& arguments)
{
    return std::make_unique<ModelDriver>(arguments);
}
