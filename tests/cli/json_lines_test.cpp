#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "CliRun.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// In-process, so that the workers of a parallel run write their lines at
// once under the thread checker. The schema test checks the fields; this one
// that standard output carries whole lines of JSON objects and nothing else,
// with -v diagnostics and no progress on standard error.
TEST_F(CliPackageFolder, UpdateWithJsonWritesWholeLinesOnly)
{
    struct Case {
        const char* what;
        std::vector<std::string> extra;
        const char* faults;
        int exitCode;
    };
    const Case cases[] = {
        {"sequential", {}, "", 0},
        {"parallel", {"--parallel"}, "", 0},
        {"parallel, one device gone", {"--parallel"}, ";unplug=2@100", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args = {"update", "--json", "-v", "--dir", m_dir.Path()};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const CliRun run = RunCli(args, std::string("devices=3;reattach=0") + c.faults, StateHome());
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;

        const std::vector<std::string> lines = LinesOf(run.out);
        ASSERT_GE(lines.size(), 2u) << run.out;
        for (const std::string& line : lines) {
            EXPECT_EQ(line.rfind(R"({"schema":1,"event":")", 0), 0u) << line;
            EXPECT_EQ(line.back(), '}') << line;
        }
        EXPECT_THAT(lines.front(), HasSubstr(R"("event":"run-start")"));
        EXPECT_EQ(lines.back(), R"({"schema":1,"event":"run-end","exit_code":)" + std::to_string(c.exitCode) + "}");
        int results = 0;
        for (const std::string& line : lines)
            results += line.find(R"("event":"result")") != std::string::npos ? 1 : 0;
        EXPECT_EQ(results, 3) << "one per device";

        EXPECT_THAT(run.err, HasSubstr("Open Success")) << "-v still echoes the diagnostics";
        EXPECT_THAT(run.err, Not(HasSubstr("全国版数据")));
        EXPECT_THAT(run.err, Not(HasSubstr("升级")));
    }
}

// A sequential run loads one package for all its devices; a named file is
// that package whatever its name, and the results say so.
TEST_F(CliPackageFolder, SequentialResultsNameThePackageTheRunLoaded)
{
    const std::string named = m_dir.File("mine.dat");
    WriteBytesToFile(named, BuildPackageFile(SamplePackageSpec()));
    struct Case {
        const char* what;
        std::string argument;
        const char* faults;
        const char* package;
    };
    const Case cases[] = {
        {"named file", named, "", R"("package":"mine.dat")"},
        {"folder, device-specific release", m_dir.Path(), ";release=0123", R"("package":"KT7_Down0123.dat")"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CliRun run = RunCli({"update", "--json", c.argument}, std::string("devices=2;reattach=0") + c.faults,
                                  StateHome());
        int results = 0;
        for (const std::string& line : LinesOf(run.out)) {
            if (line.find(R"("event":"result")") == std::string::npos)
                continue;
            ++results;
            EXPECT_THAT(line, HasSubstr(c.package));
        }
        EXPECT_EQ(results, 2) << run.out;
    }
}

} // namespace
