#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "CliRun.h"
#include "cli/Options.h"
#include "platform/DisplayWidth.h"

namespace {

using ::testing::HasSubstr;

// Every option the command line takes, as --help names it, with a command
// line that uses it; the test fails when the help leaves one out or names
// one the parser refuses.
struct Option {
    const char* shown;
    std::vector<std::string> args;
};

TEST(FlashHelp, NamesEveryOptionAndWhereTheDocumentationIs)
{
    const std::string state = testing::TempDir() + "help-state";
    const CliRun help = RunCli({"--help"}, "devices=0", state);
    ASSERT_EQ(help.exitCode, 0) << help.err;

    const Option options[] = {
        {"--dir DIR", {"info", "--dir", "."}},
        {"--parallel", {"update", "--parallel", "--dir", "."}},
        {"--verify", {"update", "--verify", "--dir", "."}},
        {"--watch", {"update", "--watch"}},
        {"--device LOC", {"update", "--device", "x"}},
        {"--expect-sha256 HEX\n", {"status", "--expect-sha256", std::string(64, 'F')}},
        {"--retry N", {"update", "--watch", "--retry", "1"}},
        {"--bell", {"update", "--bell"}},
        {"--records FILE", {"records", "--records", "f"}},
        {"--no-records", {"update", "--no-records"}},
        {"--station NAME", {"update", "--station", "bench-1"}},
        {"--since DATE", {"records", "--since", "today"}},
        {"--csv", {"records", "--csv"}},
        {"--json", {"list", "--json"}},
        {"-v, --verbose", {"list", "-v"}},
        {"-h, --help", {"-h"}},
    };
    for (const Option& option : options) {
        SCOPED_TRACE(option.shown);
        const std::string shown = option.shown;
        EXPECT_THAT(help.out, HasSubstr("  " + shown + (shown.ends_with("\n") ? "" : " ")));
        std::vector<std::string> storage = {"kt7-flash"};
        storage.insert(storage.end(), option.args.begin(), option.args.end());
        std::vector<char*> argv;
        for (std::string& arg : storage)
            argv.push_back(arg.data());
        std::string error;
        EXPECT_TRUE(ParseCliOptions(static_cast<int>(argv.size()), argv.data(), &error)) << error;
    }
#ifdef _WIN32
    EXPECT_THAT(help.out, HasSubstr("说明.txt"));
#else
    EXPECT_THAT(help.out, HasSubstr("/usr/share/doc/kt7-updater/README.md"));
#endif
    std::istringstream lines(help.out);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(DisplayWidth(line), 79) << line;
}

} // namespace
