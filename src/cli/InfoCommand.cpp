#include <cstdio>
#include <filesystem>
#include <system_error>

#include "cli/Commands.h"
#include "hid/ReleaseProbe.h"
#include "package/MapImage.h"
#include "package/Package.h"
#include "package/PackageChecks.h"
#include "package/PackageParser.h"
#include "package/PackageReader.h"
#include "platform/Services.h"
#include "platform/SystemPath.h"

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
    std::string summary;
    std::string checkFailure;
    std::error_code error;
    // A named file is summarised without asking any device which name it wants.
    if (options.file && !std::filesystem::is_directory(PathFromUtf8(*options.file), error)) {
        LoadedPackage package;
        MapRandomBlock random = MakeMapRandomBlock(GetClock().TickCount());
        if (PackageFailure failure = LoadPackageFromFile(*options.file, random, &package)) {
            GetPrompter().ShowMessage(PackageFailureText(failure, *options.file));
            return kExitPackageLoadFailed;
        }
        summary = package.summary;
        checkFailure = CheckPackage(package.data.get(), package.length, package.header);
    } else {
        int deviceSpecific = 0;
        if (!LoadPackage(&summary, &deviceSpecific, ProbeDeviceRelease))
            return kExitPackageLoadFailed;
        checkFailure = CheckLoadedPackage();
        ReleasePackageBuffers();
    }
    PrintSummary(summary);
    std::printf("\n%s\n", checkFailure.empty() ? "The package passes every check; it is ready to update."
                                              : checkFailure.c_str());
    return checkFailure.empty() ? kExitSuccess : kExitPackageLoadFailed;
}
