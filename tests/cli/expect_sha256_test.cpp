#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "CliRun.h"
#include "platform/Sha256.h"
#include "support/PackageTestFiles.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

// Whether the trace holds any report written to device `device` (-1: to any).
bool AnythingSentTo(const std::string& trace, int device)
{
    const std::string prefix = device < 0 ? "W " : "W " + std::to_string(device) + " ";
    return trace.starts_with(prefix) || trace.find("\n" + prefix) != std::string::npos;
}

// The generic package as KT7_Down.dat and a device-specific one, with other
// contents, as KT7_Down0123.dat, with their SHA-256s.
class ExpectedPackage : public testing::Test {
protected:
    void SetUp() override
    {
        const std::vector<uint8_t> generic = BuildPackageFile(SamplePackageSpec());
        PackageSpec specialSpec = SamplePackageSpec();
        specialSpec.main = PackageArea{PatternBytes(0x1000, 9), 0x40010000u, "M909"};
        const std::vector<uint8_t> special = BuildPackageFile(specialSpec);
        WriteBytesToFile(m_dir.File("KT7_Down.dat"), generic);
        WriteBytesToFile(m_dir.File("KT7_Down0123.dat"), special);
        m_generic = Sha256Hex(Sha256Of(generic.data(), generic.size()));
        m_special = Sha256Hex(Sha256Of(special.data(), special.size()));
    }

    struct Ran {
        CliRun run;
        std::string trace;
    };
    Ran Run(const std::string& simulate, std::vector<std::string> args)
    {
        args.insert(args.end(), {"--dir", m_dir.Path()});
        const std::string trace = m_state.File("trace.txt");
        Ran ran{RunCli(args, simulate + ";reattach=0;trace=" + trace, m_state.Path() + "state"), {}};
        ran.trace = ReadWholeFile(trace);
        return ran;
    }

    PackageTempDir m_dir;
    PackageTempDir m_state;
    std::string m_generic;
    std::string m_special;
};

// An expected package is used as without the option; any other is refused
// with exit code 1 before its device is sent a single report.
TEST_F(ExpectedPackage, OnlyAPackageWhoseSha256IsGivenIsUsed)
{
    struct Case {
        const char* shows;
        const char* simulate;
        std::vector<std::string> args;
        int exitCode;
        std::vector<int> untouched;  // devices sent nothing
    };
    const std::string& g = m_generic;
    const std::string& s = m_special;
    const Case cases[] = {
        {"update with the package's own SHA-256", "devices=1", {"update", "--expect-sha256", g}, 0, {}},
        {"upper-case hex names the same", "devices=1", {"update", "--expect-sha256=" + Upper(g)}, 0, {}},
        {"update with another SHA-256", "devices=2", {"update", "--expect-sha256", s}, 1, {0, 1}},
        {"several, one of them the package's", "devices=1",
         {"update", "--expect-sha256", s, "--expect-sha256", g}, 0, {}},
        {"parallel, both kinds' packages given", "devices=2;release=5512,0123",
         {"update", "--parallel", "--expect-sha256", g, "--expect-sha256", s}, 0, {}},
        {"parallel, one kind's package not given", "devices=2;release=5512,0123",
         {"update", "--parallel", "--expect-sha256", g}, 1, {1}},
        {"status with another SHA-256", "devices=1", {"status", "--expect-sha256", s}, 1, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shows);
        const Ran ran = Run(c.simulate, c.args);
        EXPECT_EQ(ran.run.exitCode, c.exitCode) << ran.run.err;
        for (int device : c.untouched)
            EXPECT_FALSE(AnythingSentTo(ran.trace, device)) << "device " << device;
        if (c.untouched.empty()) {
            EXPECT_TRUE(AnythingSentTo(ran.trace, -1));
            EXPECT_THAT(ran.run.err, Not(HasSubstr("--expect-sha256")));
            continue;
        }
        // The message names the file refused, its SHA-256, those expected,
        // and what to do.
        const bool generic = c.untouched.front() == 0;
        const std::string file = m_dir.File(generic ? "KT7_Down.dat" : "KT7_Down0123.dat");
        EXPECT_THAT(ran.run.err, HasSubstr(file + " is not the package expected"));
        EXPECT_THAT(ran.run.err, HasSubstr("its SHA-256:  " + (generic ? g : s)));
        EXPECT_THAT(ran.run.err, HasSubstr("expected:     " + (generic ? s : g)));
        EXPECT_THAT(ran.run.err, HasSubstr("Get the package again"));
    }
}

TEST_F(ExpectedPackage, InfoShowsTheSha256AndSaysWhetherItIsExpected)
{
    Ran ran = Run("devices=0", {"info"});
    EXPECT_EQ(ran.run.exitCode, 0) << ran.run.err;
    EXPECT_THAT(ran.run.out, HasSubstr("SHA-256: " + m_generic + "\n"));

    ran = Run("devices=0", {"info", "--expect-sha256", m_special});
    EXPECT_EQ(ran.run.exitCode, 1);
    EXPECT_THAT(ran.run.out, HasSubstr("SHA-256: " + m_generic + "\n")) << "the summary is still shown";
    EXPECT_THAT(ran.run.out, Not(HasSubstr("ready to update")));
    EXPECT_THAT(ran.run.err, HasSubstr("is not the package expected"));

    ran = Run("devices=0", {"info", "--json", "--expect-sha256", m_special});
    EXPECT_EQ(ran.run.exitCode, 1);
    EXPECT_THAT(ran.run.out, HasSubstr("\"sha256\":\"" + m_generic + "\",\"sha256_expected\":false}"));
    ran = Run("devices=0", {"info", "--json"});
    EXPECT_EQ(ran.run.exitCode, 0);
    EXPECT_THAT(ran.run.out, HasSubstr("\"sha256_expected\":null}"));
}

TEST(ExpectSha256Usage, AnythingButOneSha256PerOptionIsABadCommandLine)
{
    const std::string good(64, 'a');
    struct Case {
        const char* shows;
        std::vector<std::string> args;
        const char* says;
    };
    const Case cases[] = {
        {"no value", {"update", "--expect-sha256"}, "64 hex digits"},
        {"63 digits", {"update", "--expect-sha256", good.substr(1)}, "64 hex digits"},
        {"65 digits", {"update", "--expect-sha256", good + "a"}, "64 hex digits"},
        {"not hex", {"update", "--expect-sha256=" + good.substr(1) + "g"}, "64 hex digits"},
        {"a prefix", {"status", "--expect-sha256", "0x" + good.substr(2)}, "64 hex digits"},
        {"with list", {"list", "--expect-sha256", good}, "goes with info, update and status"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shows);
        const CliRun run = RunCli(c.args, "devices=1", testing::TempDir() + "expect-usage-state");
        EXPECT_EQ(run.exitCode, 64);
        EXPECT_THAT(run.err, HasSubstr(c.says));
        EXPECT_EQ(run.out, "");
    }
}

} // namespace
