// kt7-updater: the update wizard. With KT7_SIMULATE set it works against
// simulated devices instead of real ones.

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "app/DialogFont.h"
#include "app/GuiPrompter.h"
#include "app/VornelApp.h"
#include "backends/BackendSelection.h"
#include "engine/UpdateOutcome.h"
#include "platform/Clock.h"
#include "platform/InterruptGuard.h"
#include "platform/LogFile.h"
#include "platform/Services.h"

namespace {

// -v, --verbose or KT7_VERBOSE=1: diagnostics on standard error as well as in the log.
bool WantsVerbose(int argc, char** argv)
{
    const char* variable = std::getenv("KT7_VERBOSE");
    if (variable && std::string_view(variable) == "1")
        return true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-v" || arg == "--verbose")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    IgnoreBrokenPipe();
    LogFileDiagnostics log(DefaultLogPath(), WantsVerbose(argc, argv) ? stderr : nullptr);

    QApplication application(argc, argv);
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

    CVornelApp app;
    app.SetUpdateLockPath(UpdateLockPath());
    int exitCode = app.InitInstance();
    const bool finished = FinishHidBackend(*backend, &error);
    if (!finished)
        std::fprintf(stderr, "kt7-updater: %s\n", error.c_str());
    return ExitCodeAfterFinish(exitCode, finished);
}
