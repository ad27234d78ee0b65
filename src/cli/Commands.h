#pragma once
// The verbs of kt7-flash. list and info return the process exit code.

#include <string>

#include "cli/Options.h"
#include "engine/UpdateOutcome.h"

int RunListCommand(const CliOptions& options);
int RunInfoCommand(const CliOptions& options);
// Holds the update lock at `lockPath` (none when empty) for the device phase.
UpdateOutcome RunUpdateCommand(const CliOptions& options, const std::string& lockPath);

// Every device its own worker and package; the lock held throughout. Returns
// the exit code: 0 when every device succeeded, else the highest of theirs.
int RunParallelUpdateCommand(const CliOptions& options, const std::string& lockPath);

// Stays running and updates every device as it is plugged in, as the parallel
// run does, until interrupted; the lock held throughout. Returns the exit
// code: 0 when every device succeeded or none came, else the highest of theirs.
int RunWatchUpdateCommand(const CliOptions& options, const std::string& lockPath);

// The summary as lines, without the CR LF the welcome page's text box uses.
void PrintSummary(const std::string& summary);
