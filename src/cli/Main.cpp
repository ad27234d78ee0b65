// kt7-flash: the updater for a terminal.

#include <cstdio>
#include <memory>
#include <string>

#include "backends/BackendSelection.h"
#include "cli/Commands.h"
#include "cli/Options.h"
#include "package/Package.h"
#include "platform/Services.h"

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
    g_packageChoice = options->file.value_or(options->dir.value_or(""));

    SteadyClock clock;
    std::unique_ptr<HidBackend> backend = CreateHidBackend(clock, &error);
    if (!backend) {
        std::fprintf(stderr, "kt7-flash: %s\n", error.c_str());
        return kExitUsage;
    }
    ScopedServices services({.hid = backend.get(), .clock = &clock});

    if (options->verb == "list")
        return RunListCommand();
    if (options->verb == "info")
        return RunInfoCommand(*options);
    return RunUpdateCommand();
}
