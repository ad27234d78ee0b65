#pragma once
// The command line of kt7-flash.

#include <optional>
#include <string>
#include <vector>

#include "engine/UpdateOutcome.h"

struct CliOptions {
    std::string verb;                 // list, info, update, status, records
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
    std::optional<std::string> records;  // update, records: --records FILE instead of the default records file
    bool noRecords = false;              // update: keep no record
    std::optional<std::string> station;  // update: --station NAME, the bench's name in the records
    int retry = 0;                       // update --parallel/--watch: a failed device is tried this many more times
    bool bell = false;                   // update: ring the terminal's bell as each device finishes
    std::optional<std::string> since;    // records: --since DATE (today, or YYYY-MM-DD)
    bool csv = false;                    // records: CSV instead of the table
};

// The most --retry takes: a device that fails this often needs a look, not
// another try.
inline constexpr int kMaxRetries = 9;

// Exit codes, as --help (kFlashHelpText) documents them; the update's come from its outcome.
inline constexpr int kExitSuccess = ExitCodeOf(UpdateOutcome::Success);
inline constexpr int kExitPackageLoadFailed = ExitCodeOf(UpdateOutcome::PackageLoadFailed);
// records: the records file is there but cannot be read (EX_IOERR).
inline constexpr int kExitRecordsUnreadable = 74;

// Parses argv; on a usage error returns nullopt and sets `error`.
std::optional<CliOptions> ParseCliOptions(int argc, char** argv, std::string* error);
