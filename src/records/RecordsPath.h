#pragma once
// Where the records file lies unless the user names another.

#include <functional>
#include <optional>
#include <string>

// Looks up an environment variable (EnvironmentVariable in a program, a table
// in a test).
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

// Linux: $XDG_STATE_HOME/kt7-updater/records.jsonl, with ~/.local/state when
// XDG_STATE_HOME is unset or not absolute; empty when not even HOME is set.
// Windows: %LOCALAPPDATA%\kt7-updater\records.jsonl; empty when LOCALAPPDATA
// is unset. Beside the log, but never rotated.
std::string DefaultRecordsPath(const EnvironmentLookup& environment);
