#pragma once
// The verbs of kt7-flash. Each returns the process exit code.

#include "cli/Options.h"

int RunListCommand();
int RunInfoCommand(const CliOptions& options);
int RunUpdateCommand(const CliOptions& options);

// The summary as lines, without the CR LF the welcome page's text box uses.
void PrintSummary(const std::string& summary);
