#pragma once
// Where the program keeps what it writes for the user (its log, the records
// of device updates): the user's state folder.

#include <functional>
#include <optional>
#include <string>

// Looks up an environment variable (EnvironmentVariable in a program, a table
// in a test).
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

// Linux: $XDG_STATE_HOME/kt7-updater/<fileName>, with ~/.local/state when
// XDG_STATE_HOME is unset or not absolute; empty when not even HOME is set.
// Windows: %LOCALAPPDATA%\kt7-updater\<fileName>; empty when LOCALAPPDATA is
// unset.
std::string StateFilePath(const EnvironmentLookup& environment, const char* fileName);
