#pragma once
// The command line of kt7-flash.

#include <optional>
#include <string>
#include <vector>

#include "engine/UpdateOutcome.h"

struct CliOptions {
    std::string verb;                 // list, info, update, status
    std::optional<std::string> file;  // info/update/status FILE|DIR
    std::optional<std::string> dir;   // --dir DIR, the same as a DIR argument
    std::vector<std::string> devices; // --device LOCATION, each once; empty: every device
    bool help = false;
    bool verbose = false;             // -v: diagnostics on standard error too
    bool parallel = false;            // update: one worker per device
    bool json = false;                // standard output as JSON (docs/json.md)
    bool verify = false;              // update: read every area and block back
    bool watch = false;               // update: stay and update each device plugged in (implies parallel)
    // --expect-sha256 HEX, each once, lowercase: the packages that may be
    // used; empty: any.
    std::vector<std::string> expectedSha256;
};

// Exit codes, as --help (kFlashHelpText) documents them; the update's come from its outcome.
inline constexpr int kExitSuccess = ExitCodeOf(UpdateOutcome::Success);
inline constexpr int kExitPackageLoadFailed = ExitCodeOf(UpdateOutcome::PackageLoadFailed);

// Parses argv; on a usage error returns nullopt and sets `error`.
std::optional<CliOptions> ParseCliOptions(int argc, char** argv, std::string* error);
