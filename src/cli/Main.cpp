// kt7-flash: the updater for a terminal.

#include <cstdio>
#include <memory>
#include <string>

#include "backends/BackendSelection.h"
#include "cli/Commands.h"
#include "cli/Options.h"
#include "platform/ProgramDirectory.h"
#include "platform/Services.h"

namespace {

int RunCommand(const CliOptions& options)
{
    if (options.verb == "list")
        return RunListCommand();
    if (options.verb == "info")
        return RunInfoCommand(options);
    return RunUpdateCommand();
}

} // namespace

int main(int argc, char** argv)
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
    if (options->dir)
        SetProgramDirectory(*options->dir);

    SteadyClock clock;
    std::unique_ptr<HidBackend> backend = CreateHidBackend(clock, &error);
    if (!backend) {
        std::fprintf(stderr, "kt7-flash: %s\n", error.c_str());
        return kExitUsage;
    }
    if (SimulatedDevicesInUse())
        std::fprintf(stderr, "kt7-flash: %s is set: simulated devices [模拟设备], no real device is used\n",
                     kSimulateVariable);
    ScopedServices services({.hid = backend.get(), .clock = &clock});

    int exitCode = RunCommand(*options);
    const bool finished = FinishHidBackend(*backend, &error);
    if (!finished)
        std::fprintf(stderr, "kt7-flash: %s\n", error.c_str());
    return ExitCodeAfterFinish(exitCode, finished);
}
