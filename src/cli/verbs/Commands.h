#pragma once
// The verbs of kt7-flash. Each works on the run's context (backend, clock,
// message boxes, log) and looks for the package in `places`.

#include <string>

#include "cli/Options.h"
#include "engine/UpdateOutcome.h"
#include "package/PackageSearch.h"
#include "platform/RunContext.h"

// list and info return the process exit code.
int RunListCommand(const CliOptions& options, RunContext& context);
int RunInfoCommand(const CliOptions& options, RunContext& context, const PackagePlaces& places);
// Holds the update lock at `lockPath` (none when empty) for the device phase.
UpdateOutcome RunUpdateCommand(const CliOptions& options, RunContext& context, const PackagePlaces& places,
                               const std::string& lockPath);

// Every device its own worker; the devices of one kind share their package;
// the lock held throughout. Returns the exit code: 0 when every device
// succeeded, else the highest of theirs.
int RunParallelUpdateCommand(const CliOptions& options, RunContext& context, const PackagePlaces& places,
                             const std::string& lockPath);

// Stays running and updates every device as it is plugged in, as the parallel
// run does, until interrupted; the lock held throughout. Returns the exit
// code: 0 when every device succeeded or none came, else the highest of theirs.
int RunWatchUpdateCommand(const CliOptions& options, RunContext& context, const PackagePlaces& places,
                          const std::string& lockPath);

// Reads each attached device's control blocks and says whether it holds its
// package, another one or none; writes nothing. Holds the update lock at
// `lockPath` (none when empty) while it reads. Returns the exit code: the
// highest of the devices' (0 holds the package; 6 another, none, or its
// package in part; 1 its package not loaded or refused; 4 not read).
int RunStatusCommand(const CliOptions& options, RunContext& context, const PackagePlaces& places,
                     const std::string& lockPath);
// kt7-flash records: the records file (--records FILE, else the default) as
// a table with counts per result and per day, or as CSV; --since leaves out
// the days before. Returns the exit code.
int RunRecordsCommand(const CliOptions& options);

// The summary as lines, without the CR LF the welcome page's text box uses.
void PrintSummary(const std::string& summary);
