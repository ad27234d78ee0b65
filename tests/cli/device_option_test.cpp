#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CliRun.h"
#include "package/PackageWriter.h"
#include "support/PackageTestFiles.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class DeviceOption : public testing::Test {
protected:
    void SetUp() override { WriteBytesToFile(m_dir.File("KT7_Down.dat"), BuildPackageFile(SamplePackageSpec())); }
    std::string StateHome() const { return m_state.Path() + "state"; }
    std::string Trace() const { return m_dir.File("trace.txt"); }
    CliRun Update(const std::vector<std::string>& devices, const std::string& simulate)
    {
        std::vector<std::string> args = {"update", "--dir", m_dir.Path()};
        for (const std::string& device : devices) {
            args.push_back("--device");
            args.push_back(device);
        }
        return RunCli(args, simulate + ";reattach=0;trace=" + Trace(), StateHome());
    }

    PackageTempDir m_dir;
    PackageTempDir m_state;
};

// A named device that is not there stops the run before any report; the
// message names what is missing and nothing else.
TEST_F(DeviceOption, MissingLocationExitsTwoWithoutTouchingADevice)
{
    struct Case {
        const char* what;
        std::vector<std::string> devices;
        std::string simulate;
        std::string named;
    };
    const Case cases[] = {
        {"no such port", {"sim-0", "sim-7"}, "devices=2", "no device at sim-7;"},
        {"two missing, in the order given", {"sim-9", "sim-0", "sim-5"}, "devices=1", "no device at sim-9, sim-5;"},
        {"a device of another kind is not ours", {"sim-other-0"}, "devices=1;others=1", "no device at sim-other-0;"},
        {"unplugged", {"sim-1"}, "devices=2;unplug=1@0", "no device at sim-1;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CliRun run = Update(c.devices, c.simulate);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_THAT(run.err, HasSubstr(c.named));
        EXPECT_THAT(run.err, Not(HasSubstr("无法找到设备"))) << "the named device is the problem, not the cable";
        EXPECT_EQ(run.out, "") << "not even the package summary";
        EXPECT_EQ(ReadWholeFile(Trace()), "") << "a report went on the wire";
    }
}

// Only the chosen device's reports are on the wire, through its reset and
// re-attach under a new path; the other device is left alone.
TEST_F(DeviceOption, OnlyTheChosenDeviceIsUpdated)
{
    CliRun run = Update({"sim-1"}, "devices=3");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string trace = ReadWholeFile(Trace());
    EXPECT_THAT(trace, HasSubstr("W 1 "));
    EXPECT_THAT(trace, Not(HasSubstr("W 0 ")));
    EXPECT_THAT(trace, Not(HasSubstr("W 2 ")));
    EXPECT_THAT(run.out, testing::EndsWith("\n\nsim/1/kt7-01  release 5512  升级成功\n"));
}

TEST(DeviceOptionUsage, IsAnOptionOfUpdateAndNeedsALocation)
{
    PackageTempDir state;
    struct Case {
        std::vector<std::string> args;
        const char* error;
    };
    const Case cases[] = {
        {{"list", "--device", "sim-0"}, "--device is an option of update"},
        {{"update", "--device"}, "--device needs a location"},
        {{"update", "--device="}, "--device needs a location"},
    };
    for (const Case& c : cases) {
        CliRun run = RunCli(c.args, "devices=1", state.Path());
        EXPECT_EQ(run.exitCode, 64);
        EXPECT_THAT(run.err, HasSubstr(c.error));
    }
}

} // namespace
