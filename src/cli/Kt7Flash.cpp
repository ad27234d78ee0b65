#include "cli/Kt7Flash.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backends/BackendSelection.h"
#include "cli/Options.h"
#include "cli/json/JsonPage.h"
#include "cli/json/UpdateJson.h"
#include "cli/verbs/Commands.h"
#include "cli/verbs/UpdatedDevices.h"
#include "package/Package.h"
#include "package/PackageSearch.h"
#include "platform/DeviceSelection.h"
#include "platform/LogFile.h"
#include "platform/ProgramDirectory.h"
#include "platform/RunContext.h"
#include "platform/SystemPath.h"
#include "texts/UserTexts.h"
#include "wizard/PackageFileName.h"

namespace {

// Every location named with --device has a device, or the run touches none.
bool ChosenDevicesAttached(const CliOptions& options, HidBackend& devices)
{
    const std::vector<std::string> missing = MissingLocations(UpdatedDevices(devices), options.devices);
    if (missing.empty())
        return true;
    std::string names;
    for (const std::string& location : missing)
        names += (names.empty() ? "" : ", ") + location;
    std::fprintf(stderr, "kt7-flash: --device: no device at %s; 'kt7-flash list' shows where devices are\n",
                 names.c_str());
    return false;
}

// Where the package is looked for: the file or folder named, else the
// program's folder and then the current one.
PackagePlaces PlacesOf(const CliOptions& options)
{
    std::error_code error;
    return {options.file.value_or(options.dir.value_or("")), GetProgramDirectory(),
            PathToUtf8(std::filesystem::current_path(error))};
}

// The folder the packages are looked for in (a named file's own folder).
std::string PackageFolder(const PackagePlaces& places)
{
    const PackageLocation generic = FindPackageFile(places, kGenericPackageName);
    return PathToUtf8(PathFromUtf8(generic.path).parent_path());
}

int RunVerb(const CliOptions& options, RunContext& context, const PackagePlaces& places)
{
    if (options.verb == "list")
        return RunListCommand(options, context);
    if (options.verb == "info")
        return RunInfoCommand(options, context, places);
    // A watch waits for its devices: none need be there yet.
    if (options.watch)
        return RunWatchUpdateCommand(options, context, places, UpdateLockPath());
    if (!ChosenDevicesAttached(options, context.hid)) {
        if (options.json && options.verb == "update")
            for (const HidDeviceInfo& device : UpdatedDevices(context.hid))
                WriteResult(device, PackageFileNameFor(device.releaseNumber), ExitCodeOf(UpdateOutcome::NoDevice), {},
                            {});
        return ExitCodeOf(UpdateOutcome::NoDevice);
    }
    if (options.verb == "status")
        return RunStatusCommand(options, context, places, UpdateLockPath());
    if (options.parallel)
        return RunParallelUpdateCommand(options, context, places, UpdateLockPath());
    return ExitCodeOf(RunUpdateCommand(options, context, places, UpdateLockPath()));
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
        std::fputs(kFlashHelpText, stdout);
        return kExitSuccess;
    }
    // The records are a file of this computer's: no device, no log.
    if (options->verb == "records")
        return RunRecordsCommand(*options);

    // Only an update starts a log of its own: list and info add to the log of
    // the last update, which stays where the user was told to look.
    const bool update = options->verb == "update";
    LogFileDiagnostics log(DefaultLogPath(), options->verbose ? stderr : nullptr,
                           update ? LogStart::NewRun : LogStart::Append);
    std::unique_ptr<HidBackend> backend = CreateHidBackend(clock, log, &error);
    if (!backend) {
        std::fprintf(stderr, "kt7-flash: %s\n", error.c_str());
        return kExitUsage;
    }
    if (SimulatedDevicesInUse())
        std::fprintf(stderr, "%s\n", kFlashSimulatedNotice);
    // With --device, every operation of the run sees the chosen devices only.
    std::optional<DeviceSelectionBackend> selection;
    if (!options->devices.empty())
        selection.emplace(*backend, options->devices);
    HidBackend& devices = selection ? static_cast<HidBackend&>(*selection) : *backend;
    // An update's message boxes become lines of their own.
    const bool jsonLines = options->json && update;
    ConsolePrompter consolePrompter;
    JsonPrompter jsonPrompter(std::nullopt);
    Prompter& prompter = jsonLines ? static_cast<Prompter&>(jsonPrompter) : consolePrompter;
    RunContext context{devices, clock, prompter, log};
    const PackagePlaces places = PlacesOf(*options);
    if (jsonLines)
        WriteRunStart(options->parallel, PackageFolder(places), UpdatedDevices(devices));

    int exitCode = RunVerb(*options, context, places);
    const bool finished = FinishHidBackend(*backend, &error);
    if (!finished)
        std::fprintf(stderr, "kt7-flash: %s\n", error.c_str());
    exitCode = ExitCodeAfterFinish(exitCode, finished);
    if (jsonLines)
        WriteRunEnd(exitCode);
    // Pointing at a log that says nothing more than the message would waste
    // the user's time.
    if (exitCode != kExitSuccess && log.HoldsErrors())
        std::fprintf(stderr, "%s%s\n", kSeeLogText, log.Path().c_str());
    return exitCode;
}
