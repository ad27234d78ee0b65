#include "cli/Kt7Flash.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backends/BackendSelection.h"
#include "cli/Commands.h"
#include "cli/DeviceResults.h"
#include "cli/JsonPage.h"
#include "cli/UpdateJson.h"
#include "cli/Options.h"
#include "engine/EngineTexts.h"
#include "platform/DeviceSelection.h"
#include "platform/LogFile.h"
#include "package/Package.h"
#include "package/PackageSearch.h"
#include "platform/ProgramDirectory.h"
#include "platform/SystemPath.h"
#include "platform/Services.h"

namespace {

// Every location named with --device has a device, or the run touches none.
bool ChosenDevicesAttached(const CliOptions& options)
{
    const std::vector<std::string> missing = MissingLocations(UpdatedDevices(), options.devices);
    if (missing.empty())
        return true;
    std::string names;
    for (const std::string& location : missing)
        names += (names.empty() ? "" : ", ") + location;
    std::fprintf(stderr, "kt7-flash: --device: no device at %s; 'kt7-flash list' shows where devices are\n",
                 names.c_str());
    return false;
}

// The folder the packages are looked for in (a named file's own folder).
std::string PackageFolder()
{
    std::error_code error;
    const PackageLocation generic =
        FindPackageFile({g_packageChoice, GetProgramDirectory(), PathToUtf8(std::filesystem::current_path(error))},
                        kGenericPackageName);
    return PathToUtf8(PathFromUtf8(generic.path).parent_path());
}

int RunVerb(const CliOptions& options)
{
    if (options.verb == "list")
        return RunListCommand(options);
    if (options.verb == "info")
        return RunInfoCommand(options);
    // A watch waits for its devices: none need be there yet.
    if (options.watch)
        return RunWatchUpdateCommand(options, UpdateLockPath());
    if (!ChosenDevicesAttached(options)) {
        if (options.json)
            for (const HidDeviceInfo& device : UpdatedDevices())
                WriteResult(device, PackageFileNameFor(device.releaseNumber), ExitCodeOf(UpdateOutcome::NoDevice), {});
        return ExitCodeOf(UpdateOutcome::NoDevice);
    }
    if (options.parallel)
        return RunParallelUpdateCommand(options, UpdateLockPath());
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
        std::fprintf(stderr, "kt7-flash: simulated devices [模拟设备] (%s); no real device is used\n",
                     kSimulateVariable);
    // With --device, every operation of the run sees the chosen devices only.
    std::optional<DeviceSelectionBackend> selection;
    if (!options->devices.empty())
        selection.emplace(*backend, options->devices);
    HidBackend& devices = selection ? static_cast<HidBackend&>(*selection) : *backend;
    LogFileDiagnostics log(DefaultLogPath(), options->verbose ? stderr : nullptr);
    ScopedServices services({.hid = &devices, .clock = &clock, .diagnostics = &log});
    // An update's message boxes become lines of their own.
    const bool jsonLines = options->json && options->verb == "update";
    JsonPrompter jsonPrompter(std::nullopt);
    std::optional<ScopedServices> jsonMessages;
    if (jsonLines) {
        jsonMessages.emplace(Services{.prompter = &jsonPrompter});
        WriteRunStart(options->parallel, PackageFolder(), UpdatedDevices());
    }

    int exitCode = RunVerb(*options);
    const bool finished = FinishHidBackend(*backend, &error);
    if (!finished)
        std::fprintf(stderr, "kt7-flash: %s\n", error.c_str());
    exitCode = ExitCodeAfterFinish(exitCode, finished);
    if (jsonLines)
        WriteRunEnd(exitCode);
    if (exitCode != kExitSuccess && !log.Path().empty())
        std::fprintf(stderr, "%s%s\n", kSeeLogText, log.Path().c_str());
    return exitCode;
}
