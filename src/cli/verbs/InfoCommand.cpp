#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

#include "cli/json/InfoJson.h"
#include "cli/verbs/Commands.h"
#include "hid/ReleaseProbe.h"
#include "package/ExpectedPackage.h"
#include "package/LoadPackage.h"
#include "package/PackageChecks.h"
#include "platform/Diagnostics.h"
#include "platform/SystemPath.h"
#include "texts/UserTexts.h"

namespace {

// What info found: the package's header and the first failing check, or the
// message of a package that could not be loaded.
struct InfoFindings {
    std::string path;
    std::string summary;
    PackageHeader header;
    std::string checkFailure;
    std::string loadFailure;  // empty when it loaded
    std::string sha256;
    // With --expect-sha256: whether the package is one of those expected,
    // and the message that says it is not.
    std::optional<bool> expected;
    std::string unexpectedMessage;
};

InfoFindings LoadForInfo(const CliOptions& options, RunContext& context, const PackagePlaces& places)
{
    std::error_code error;
    // A named file is summarised without asking any device which name it wants.
    const bool namedFile = options.file && !std::filesystem::is_directory(PathFromUtf8(*options.file), error);
    PackageLoad load;
    if (namedFile) {
        load = LoadPackageFile(*options.file, context.clock.TickCount());
        load.path = *options.file;
    } else {
        // Without a device the generic package is the one to show.
        const ReleaseProbe probe = ProbeDeviceRelease(context.hid, context.clock);
        load = LoadPackage(places, probe.releaseText, context.clock.TickCount());
    }
    InfoFindings found;
    found.path = load.path;
    if (!load) {
        found.loadFailure = load.message;
        return found;
    }
    const LoadedPackage& package = *load.package;
    found.summary = package.summary;
    found.header = package.header;
    found.checkFailure = CheckPackage(package.data.get(), package.length, package.header);
    found.sha256 = package.sha256;
    if (!options.expectedSha256.empty()) {
        const PackageLoad expected = RefuseUnexpectedPackage(load, options.expectedSha256);
        found.expected = static_cast<bool>(expected);
        found.unexpectedMessage = expected.message;
    }
    return found;
}

int RunInfoAsJson(const InfoFindings& found)
{
    if (!found.loadFailure.empty()) {
        std::printf("%s\n", InfoErrorJson(found.path, found.loadFailure).c_str());
        return kExitPackageLoadFailed;
    }
    std::printf("%s\n", InfoJson(found.path, found.header, found.checkFailure, found.sha256, found.expected).c_str());
    return found.checkFailure.empty() && found.expected != false ? kExitSuccess : kExitPackageLoadFailed;
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

int RunInfoCommand(const CliOptions& options, RunContext& context, const PackagePlaces& places)
{
    const InfoFindings found = LoadForInfo(options, context, places);
    // The log keeps what was looked at, beside the update's lines.
    DiagPrintf(context.diagnostics, "kt7-flash info: %s: %s\n", found.path.c_str(),
               !found.loadFailure.empty()  ? "not loaded"
               : found.checkFailure.empty() ? "passes every check"
                                            : found.checkFailure.c_str());
    if (options.json)
        return RunInfoAsJson(found);
    if (!found.loadFailure.empty()) {
        context.prompter.ShowMessage(found.loadFailure);
        return kExitPackageLoadFailed;
    }
    PrintSummary(found.summary);
    std::printf("%s\n", InfoSha256Line(found.sha256).c_str());
    std::printf("\n%s\n", !found.checkFailure.empty() ? found.checkFailure.c_str()
                         : found.expected == false  ? kInfoPassesButNotExpected
                                                    : "The package passes every check; it is ready to update.");
    // Which package it is, beside what it is: the summary stays on standard output.
    if (found.expected == false)
        context.prompter.ShowMessage(found.unexpectedMessage);
    return found.checkFailure.empty() && found.expected != false ? kExitSuccess : kExitPackageLoadFailed;
}
