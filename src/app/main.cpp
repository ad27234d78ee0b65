// kt7-updater [-v] [--verify] [FILE|DIR]: the update wizard. FILE is the package to load,
// DIR a folder that holds it; without either it is looked for beside the
// program and then in the current folder. With KT7_SIMULATE set it works
// against simulated devices instead of real ones.

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/DialogFont.h"
#include "app/GuiPrompter.h"
#include "app/VornelApp.h"
#include "backends/BackendSelection.h"
#include "wizard/WizardSetup.h"
#include "engine/UpdateOutcome.h"
#include "platform/Clock.h"
#include "platform/InterruptGuard.h"
#include "platform/LogFile.h"
#include "platform/ProgramDirectory.h"
#include "platform/RunContext.h"
#include "platform/SystemPath.h"

namespace {

constexpr char kUsage[] =
    "Usage: kt7-updater [-v|--verbose] [--verify] [FILE|DIR]\n"
    "  -v, --verbose  diagnostics on standard error too (or KT7_VERBOSE=1)\n"
    "  --verify       read every area and control block back from the devices\n"
    "                 after writing it; a device that holds something else fails\n";

bool IsVerboseOption(QStringView arg)
{
    return arg == QLatin1String("-v") || arg == QLatin1String("--verbose");
}

// -v, --verbose or KT7_VERBOSE=1: diagnostics on standard error as well as in the log.
bool WantsVerbose(int argc, char** argv)
{
    const char* variable = std::getenv("KT7_VERBOSE");
    if (variable && std::string_view(variable) == "1")
        return true;
    for (int i = 1; i < argc; ++i) {
        if (IsVerboseOption(QString::fromLocal8Bit(argv[i])))
            return true;
    }
    return false;
}

struct WizardArguments {
    bool verify = false;
    std::string packageChoice;  // the file or folder named; empty: none
};

// Takes --verify and the optional package argument left after Qt's own
// options and -v; nullopt on anything else, after saying what is wrong.
std::optional<WizardArguments> TakeArguments(const QStringList& arguments)
{
    WizardArguments taken;
    QStringList rest;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--verify"))
            taken.verify = true;
        else if (!IsVerboseOption(arguments[i]))
            rest << arguments[i];
    }
    if (rest.size() > 1 || (rest.size() == 1 && rest[0].startsWith(QLatin1Char('-')))) {
        std::fprintf(stderr, "kt7-updater: unexpected argument %s\n%s", qPrintable(rest.last()), kUsage);
        return std::nullopt;
    }
    if (rest.size() == 1)
        taken.packageChoice = rest[0].toStdString();
    return taken;
}

} // namespace

int main(int argc, char** argv)
{
    // Before Qt starts, which needs a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    IgnoreBrokenPipe();
    LogFileDiagnostics log(DefaultLogPath(), WantsVerbose(argc, argv) ? stderr : nullptr);

    QApplication application(argc, argv);
    const std::optional<WizardArguments> arguments = TakeArguments(QApplication::arguments());
    if (!arguments)
        return kExitUsage;
    QApplication::setFont(DialogFont());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kt7/icon.png")));

    GuiPrompter prompter;
    SteadyClock clock;
    std::string error;
    std::unique_ptr<HidBackend> backend = CreateHidBackend(clock, log, &error);
    if (!backend) {
        std::fprintf(stderr, "kt7-updater: %s\n", error.c_str());
        prompter.ShowMessage(error);
        return kExitUsage;
    }
    RunContext context{*backend, clock, prompter, log};
    std::error_code noFolder;
    WizardSetup setup{context,
                      {arguments->packageChoice, GetProgramDirectory(),
                       PathToUtf8(std::filesystem::current_path(noFolder))},
                      arguments->verify,
                      UpdateLockPath()};
    // Installed by the package into the system's program folder, where no
    // package lies: a missing one is asked for without a message first.
    setup.installed = setup.places.programDirectory.rfind("/usr/", 0) == 0;
    CVornelApp app(setup);
    int exitCode = app.InitInstance();
    const bool finished = FinishHidBackend(*backend, &error);
    if (!finished)
        std::fprintf(stderr, "kt7-updater: %s\n", error.c_str());
    return ExitCodeAfterFinish(exitCode, finished);
}
