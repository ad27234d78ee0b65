#include "cli/Kt7Flash.h"

#include <cstdio>
#include <memory>
#include <string>

#include "backends/BackendSelection.h"
#include "cli/Commands.h"
#include "cli/Options.h"
#include "platform/LogFile.h"
#include "package/Package.h"
#include "platform/Services.h"

namespace {

constexpr char kSeeLogPrefix[] = "详细信息见日志：";

int RunVerb(const CliOptions& options)
{
    if (options.verb == "list")
        return RunListCommand();
    if (options.verb == "info")
        return RunInfoCommand(options);
    return ExitCodeOf(RunUpdateCommand(options, UpdateLockPath()));
}

} // namespace

int RunKt7Flash(int argc, char** argv, Clock& clock)
{
    std::string error;
    std::optional<CliOptions> options = ParseCliOptions(argc, argv, &error);
    if (!options) {
        std::fprintf(stderr, "kt7-flash: %s\nTry 'kt7-flash --help'.\n", error.c_str());
        return kExitUsage;
    }
    if (options->help) {
        std::fputs(kCliHelpText, stdout);
        return kExitSuccess;
    }
    g_packageChoice = options->file.value_or(options->dir.value_or(""));

    std::unique_ptr<HidBackend> backend = CreateHidBackend(clock, &error);
    if (!backend) {
        std::fprintf(stderr, "kt7-flash: %s\n", error.c_str());
        return kExitUsage;
    }
    if (SimulatedDevicesInUse())
        std::fprintf(stderr, "kt7-flash: %s is set: simulated devices [模拟设备], no real device is used\n",
                     kSimulateVariable);
    LogFileDiagnostics log(DefaultLogPath(), options->verbose ? stderr : nullptr);
    ScopedServices services({.hid = backend.get(), .clock = &clock, .diagnostics = &log});

    int exitCode = RunVerb(*options);
    const bool finished = FinishHidBackend(*backend, &error);
    if (!finished)
        std::fprintf(stderr, "kt7-flash: %s\n", error.c_str());
    exitCode = ExitCodeAfterFinish(exitCode, finished);
    if (exitCode != kExitSuccess && !log.Path().empty())
        std::fprintf(stderr, "%s%s\n", kSeeLogPrefix, log.Path().c_str());
    return exitCode;
}
