#pragma once
// Runs kt7-flash's verbs in this process as the program would run them, with
// standard output and standard error caught in files, simulated devices, a
// virtual clock and the log under a temporary state folder.

#include <string>
#include <vector>

struct CliRun {
    int exitCode = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};

// `args` without the program name; `simulate` is KT7_SIMULATE's value;
// the log goes under `stateHome` (XDG_STATE_HOME, or LOCALAPPDATA on Windows) while it runs.
CliRun RunCli(const std::vector<std::string>& args, const std::string& simulate, const std::string& stateHome);

std::string ReadWholeFile(const std::string& path);
