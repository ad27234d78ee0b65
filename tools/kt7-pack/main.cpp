// kt7-pack: builds an update package file from area images.

#include <cstdio>
#include <string>
#include <vector>

#include "PackOptions.h"
#include "platform/InterruptGuard.h"

int main(int argc, char** argv)
{
    IgnoreBrokenPipe();
    std::vector<std::string> args(argv + 1, argv + argc);
    PackOptions options;
    std::string error;
    if (!ParsePackOptions(args, &options, &error)) {
        std::fprintf(stderr, "kt7-pack: %s\n%s", error.c_str(), kPackUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kPackUsage, stdout);
        return 0;
    }
    if (!WritePackageFile(options.outPath, options.contents, &error)) {
        std::fprintf(stderr, "kt7-pack: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
