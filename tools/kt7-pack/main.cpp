// kt7-pack: builds an update package file from area images.

#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "PackOptions.h"
#include "PackPlacement.h"
#include "PackReport.h"
#include "package/MapImage.h"
#include "package/PackageParser.h"
#include "package/PackageWriter.h"
#include "platform/InterruptGuard.h"
#include "platform/ProgramStart.h"

namespace {

int Run(int argc, char** argv)
{
    IgnoreBrokenPipe();
    std::vector<std::string> args(argv + 1, argv + argc);
    PackOptions options;
    std::string error;
    if (!ParsePackOptions(args, &options, &error)) {
        std::fprintf(stderr, "kt7-pack: %s; see kt7-pack --help\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(kPackUsage, stdout);
        return 0;
    }
    if (const std::optional<std::string> problem = AreaPlacementProblem(options.contents)) {
        std::fprintf(stderr, "kt7-pack: %s; nothing written\n", problem->c_str());
        return 1;
    }
    // The bytes go through the updater's own loader and checks before they
    // are written, so that a package it would refuse never lands on disk.
    const std::vector<uint8_t> file = BuildPackageFile(options.contents);
    LoadedPackage loaded;
    if (const char* refusal = ParsePackageFile(file.data(), file.size(), MakeMapRandomBlock(0), &loaded)) {
        std::fprintf(stderr, "kt7-pack: the updater would refuse this package, nothing written: %s\n", refusal);
        return 1;
    }
    if (!WritePackageBytes(options.outPath, file, &error)) {
        std::fprintf(stderr, "kt7-pack: %s\n", error.c_str());
        return 1;
    }
    std::fputs(PackReport(options.outPath, file, loaded.header).c_str(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // Whatever goes wrong underneath (memory for a huge input, say) ends
    // with a message, not an abort.
    try {
        UseUtf8Console();
        Utf8Arguments arguments(argc, argv);
        return Run(arguments.Count(), arguments.Values());
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "kt7-pack: %s\n", failure.what());
        return 1;
    }
}
