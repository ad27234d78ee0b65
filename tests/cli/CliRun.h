#pragma once
// Runs kt7-flash's verbs in this process as the program would run them, with
// standard output and standard error caught in files, simulated devices, a
// virtual clock and the log under a temporary state folder.

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "package/PackageWriter.h"
#include "platform/Clock.h"
#include "support/PackageTestFiles.h"

struct CliRun {
    int exitCode = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};

// `args` without the program name; `simulate` is KT7_SIMULATE's value;
// the log goes under `stateHome` (XDG_STATE_HOME, or LOCALAPPDATA on Windows) while it runs.
CliRun RunCli(const std::vector<std::string>& args, const std::string& simulate, const std::string& stateHome);
// The same on the given clock, for a test that acts as the run's time passes.
CliRun RunCli(const std::vector<std::string>& args, const std::string& simulate, const std::string& stateHome,
              Clock& clock);

std::string ReadWholeFile(const std::string& path);

// A folder holding the sample package as KT7_Down.dat, and a state folder
// for the runs' logs.
class CliPackageFolder : public testing::Test {
protected:
    void SetUp() override { WriteBytesToFile(m_dir.File("KT7_Down.dat"), BuildPackageFile(SamplePackageSpec())); }
    std::string StateHome() const { return m_state.Path() + "state"; }

    PackageTempDir m_dir;
    PackageTempDir m_state;
};
