#pragma once
// kt7-pack's command line.

#include <string>
#include <vector>

#include "package/PackageWriter.h"

struct PackOptions {
    bool help = false;
    std::string outPath;
    PackageSpec contents;
};

// Parses the arguments after the program name and reads the area files.
// Returns false with a message in `error` on bad input.
bool ParsePackOptions(const std::vector<std::string>& args, PackOptions* options, std::string* error);

extern const char kPackUsage[];
