#pragma once
// The command line of kt7-flash.

#include <optional>
#include <string>

struct CliOptions {
    std::string verb;                 // list, info, update
    std::optional<std::string> file;  // info/update FILE|DIR
    std::optional<std::string> dir;   // --dir DIR, the same as a DIR argument
    bool help = false;
};

// Exit codes, as --help documents them.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitPackageLoadFailed = 1;
inline constexpr int kExitNoDevice = 2;
inline constexpr int kExitBootloaderRefused = 3;
inline constexpr int kExitUpdateFailed = 4;
inline constexpr int kExitUsage = 64;

// Parses argv; on a usage error returns nullopt and sets `error`.
std::optional<CliOptions> ParseCliOptions(int argc, char** argv, std::string* error);

extern const char kCliHelpText[];
