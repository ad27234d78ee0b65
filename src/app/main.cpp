// kt7-updater [-v] [--verify] [FILE|DIR]: the update wizard. FILE is the package to load,
// DIR a folder that holds it; without either it is looked for beside the
// program and then in the current folder. With KT7_SIMULATE set it works
// against simulated devices instead of real ones.

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "app/DialogFont.h"
#include "app/GuiPrompter.h"
#include "app/VornelApp.h"
#include "backends/BackendSelection.h"
#include "engine/ProgressState.h"
#include "engine/UpdateOutcome.h"
#include "engine/UpdateSession.h"
#include "package/Package.h"
#include "platform/Clock.h"
#include "platform/InterruptGuard.h"
#include "platform/LogFile.h"
#include "platform/Services.h"

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

// Takes --verify and the optional package argument left after Qt's own
// options and -v; false on anything else, after saying what is wrong.
bool TakePackageArgument(const QStringList& arguments)
{
    QStringList rest;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--verify"))
            CurrentProgress().m_verify = true;  // the wizard's worker runs on the process's own state
        else if (!IsVerboseOption(arguments[i]))
            rest << arguments[i];
    }
    if (rest.size() > 1 || (rest.size() == 1 && rest[0].startsWith(QLatin1Char('-')))) {
        std::fprintf(stderr, "kt7-updater: unexpected argument %s\n%s", qPrintable(rest.last()), kUsage);
        return false;
    }
    if (rest.size() == 1)
        g_packageChoice = rest[0].toStdString();
    return true;
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
    if (!TakePackageArgument(QApplication::arguments()))
        return kExitUsage;
    QApplication::setFont(DialogFont());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kt7/icon.png")));

    GuiPrompter prompter;
    SteadyClock clock;
    std::string error;
    std::unique_ptr<HidBackend> backend = CreateHidBackend(clock, &error);
    if (!backend) {
        std::fprintf(stderr, "kt7-updater: %s\n", error.c_str());
        prompter.ShowMessage(error);
        return kExitUsage;
    }
    Services services;
    services.hid = backend.get();
    services.clock = &clock;
    services.prompter = &prompter;
    services.diagnostics = &log;
    ScopedServices installed(services);

    // The wizard's one run: its pages and its worker work on this state.
    UpdateSession session;
    ScopedThreadSession bound(session);
    CVornelApp app;
    app.SetUpdateLockPath(UpdateLockPath());
    int exitCode = app.InitInstance();
    const bool finished = FinishHidBackend(*backend, &error);
    if (!finished)
        std::fprintf(stderr, "kt7-updater: %s\n", error.c_str());
    return ExitCodeAfterFinish(exitCode, finished);
}
