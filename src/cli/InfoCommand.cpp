#include <cstdio>
#include <filesystem>
#include <system_error>

#include "cli/Commands.h"
#include "cli/InfoJson.h"
#include "hid/ReleaseProbe.h"
#include "package/MapImage.h"
#include "package/Package.h"
#include "package/PackageChecks.h"
#include "package/PackageParser.h"
#include "package/PackageReader.h"
#include "platform/Services.h"
#include "platform/SystemPath.h"

namespace {

// What info found: the package's header and the first failing check, or the
// message of a package that could not be loaded.
struct InfoFindings {
    std::string path;
    std::string summary;
    PackageHeader header;
    std::string checkFailure;
};

// False when the package could not be loaded; found->path says where it was
// looked for then.
bool LoadForInfo(const CliOptions& options, InfoFindings* found)
{
    std::error_code error;
    // A named file is summarised without asking any device which name it wants.
    if (options.file && !std::filesystem::is_directory(PathFromUtf8(*options.file), error)) {
        LoadedPackage package;
        MapRandomBlock random = MakeMapRandomBlock(GetClock().TickCount());
        found->path = *options.file;
        if (PackageFailure failure = LoadPackageFromFile(*options.file, random, &package)) {
            GetPrompter().ShowMessage(PackageFailureText(failure, *options.file));
            return false;
        }
        found->summary = package.summary;
        found->header = package.header;
        found->checkFailure = CheckPackage(package.data.get(), package.length, package.header);
        return true;
    }
    int deviceSpecific = 0;
    const bool loaded = LoadPackage(&found->summary, &deviceSpecific, ProbeDeviceRelease);
    found->path = CurrentPackage().m_packagePath;
    if (!loaded)
        return false;
    found->header = CurrentPackage().m_packageHeader;
    found->checkFailure = CheckLoadedPackage();
    ReleasePackageBuffers();
    return true;
}

int RunInfoAsJson(const CliOptions& options)
{
    // The load's message boxes become the object's error.
    RecordingPrompter messages;
    InfoFindings found;
    bool loaded = false;
    {
        ScopedServices scope({.prompter = &messages});
        loaded = LoadForInfo(options, &found);
    }
    if (!loaded) {
        std::string error;
        for (const std::string& message : messages.Messages())
            error += (error.empty() ? "" : "\n") + message;
        std::printf("%s\n", InfoErrorJson(found.path, error).c_str());
        return kExitPackageLoadFailed;
    }
    std::printf("%s\n", InfoJson(found.path, found.header, found.checkFailure).c_str());
    return found.checkFailure.empty() ? kExitSuccess : kExitPackageLoadFailed;
}

} // namespace

void PrintSummary(const std::string& summary)
{
    std::string text;
    text.reserve(summary.size());
    for (size_t i = 0; i < summary.size(); ++i) {
        if (summary[i] == '\r' && i + 1 < summary.size() && summary[i + 1] == '\n')
            continue;
        text += summary[i];
    }
    std::printf("%s\n", text.c_str());
}

int RunInfoCommand(const CliOptions& options)
{
    if (options.json)
        return RunInfoAsJson(options);
    InfoFindings found;
    if (!LoadForInfo(options, &found))
        return kExitPackageLoadFailed;
    PrintSummary(found.summary);
    std::printf("\n%s\n", found.checkFailure.empty() ? "The package passes every check; it is ready to update."
                                                    : found.checkFailure.c_str());
    return found.checkFailure.empty() ? kExitSuccess : kExitPackageLoadFailed;
}
