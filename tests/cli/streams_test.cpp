#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "CliRun.h"
#include "package/PackageWriter.h"
#include "support/PackageTestFiles.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// Lines the update's operations write as diagnostics, the version dump with
// its NUL bytes among them.
const char* const kDiagnosticSamples[] = {"Open Success", "String code", "pReadBuf[", "Update Bootloader"};

class CliStreams : public CliPackageFolder {
protected:
    std::string LogPath() const
    {
        return (std::filesystem::path(StateHome()) / "kt7-updater" / "kt7-updater.log").string();
    }
    CliRun Update(std::vector<std::string> extra = {})
    {
        std::vector<std::string> args = {"update", "--dir", m_dir.Path()};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunCli(args, "devices=2", StateHome());
    }
};

TEST_F(CliStreams, UpdateKeepsDiagnosticsInTheLogUnlessVerbose)
{
    struct Case {
        const char* what;
        std::vector<std::string> extra;
        bool echoed;
    };
    const Case cases[] = {{"quiet by default", {}, false}, {"-v", {"-v"}, true}, {"--verbose", {"--verbose"}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CliRun run = Update(c.extra);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out.find('\0'), std::string::npos);
        EXPECT_EQ(run.err.find('\0'), std::string::npos);
        const std::string log = ReadWholeFile(LogPath());
        EXPECT_THAT(log, HasSubstr("pReadBuf[1]=\\x00"));
        for (const char* sample : kDiagnosticSamples) {
            EXPECT_THAT(run.out, Not(HasSubstr(sample)));
            EXPECT_THAT(log, HasSubstr(sample));
            if (c.echoed)
                EXPECT_THAT(run.err, HasSubstr(sample));
            else
                EXPECT_THAT(run.err, Not(HasSubstr(sample)));
        }
        // Data on standard output, messages on standard error.
        EXPECT_THAT(run.out, HasSubstr("Update Time:"));
        EXPECT_THAT(run.err, HasSubstr("升级过程中请勿移动电子狗或USB连接线！"));
        EXPECT_THAT(run.out, Not(HasSubstr("升级过程中")));
    }
}

// The log is named last when it holds the failure's lines; a failure that
// its own message explains whole (no package, no device) sends nobody to a
// log that says nothing more.
TEST_F(CliStreams, AFailedRunNamesTheLogLastWhenItHoldsTheFailure)
{
    CliRun run = RunCli({"update", "--dir", m_dir.Path()}, "devices=2;stall=1@40", StateHome());
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_THAT(run.err, testing::EndsWith("详细信息见日志：" + LogPath() + "\n"));
    EXPECT_THAT(ReadWholeFile(LogPath()), HasSubstr("on device 1 (sim-1): no answer to the handshake read"));

    run = RunCli({"update", "--dir", m_dir.File("empty")}, "devices=1", StateHome());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("找不到该文件"));
    EXPECT_THAT(run.err, Not(HasSubstr("详细信息见日志")));
    EXPECT_EQ(run.out, "");

    run = RunCli({"update", "--dir", m_dir.Path()}, "devices=0", StateHome());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_THAT(run.err, HasSubstr("无法找到设备"));
    EXPECT_THAT(run.err, Not(HasSubstr("详细信息见日志")));
}

// A question asked after a failed update adds to its log: the lines the user
// was sent to read stay where they are, and no earlier log is pushed aside.
TEST_F(CliStreams, ListAndInfoAfterAFailedUpdateLeaveItsLogInPlace)
{
    CliRun run = RunCli({"update", "--dir", m_dir.Path()}, "devices=2;stall=1@40", StateHome());
    ASSERT_EQ(run.exitCode, 4);
    const std::string failed = ReadWholeFile(LogPath());
    ASSERT_THAT(failed, HasSubstr("ERROR: "));

    run = RunCli({"info", "--dir", m_dir.Path()}, "devices=2", StateHome());
    EXPECT_EQ(run.exitCode, 0);
    run = RunCli({"list"}, "devices=0", StateHome());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_THAT(run.err, Not(HasSubstr("详细信息见日志"))) << "the log holds nothing about an empty list";

    const std::string after = ReadWholeFile(LogPath());
    EXPECT_EQ(after.rfind(failed, 0), 0u) << "the update's lines come first, unchanged";
    EXPECT_THAT(after.substr(failed.size()), HasSubstr("kt7-flash info: "));
    EXPECT_FALSE(std::filesystem::exists(LogPath() + ".1"));

    // The next update starts a log of its own and keeps this one.
    run = RunCli({"update", "--dir", m_dir.Path()}, "devices=1", StateHome());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(ReadWholeFile(LogPath() + ".1"), after);
}

TEST_F(CliStreams, UpdateEndsWithOneLinePerDevice)
{
    struct Case {
        const char* what;
        std::string simulate;
        int exitCode;
        std::string lines;
    };
    const Case cases[] = {
        {"success", "devices=2;release=5512,0000", 0,
         "sim-0  release 5512  升级成功\nsim-1  release 0000  升级成功\n"},
        // In step, the device that failed says why; the other was stopped by it.
        {"a device stops answering while it is written", "devices=2;stall=1@40", 4,
         "sim-0  release 5512  未完成：sim-1 的设备失败，升级已停止\n"
         "sim-1  release 5512  升级失败：区域2数据擦除失败，请检查USB连接！\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CliRun run = RunCli({"update", "--dir", m_dir.Path()}, c.simulate, StateHome());
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_THAT(run.out, testing::EndsWith("\n\n" + c.lines)) << "after the summary";
        // Not a terminal here: the progress comes as lines, the wait first.
        const size_t waiting = run.err.find("等待设备重新连接…\n");
        ASSERT_NE(waiting, std::string::npos) << run.err;
        EXPECT_LT(waiting, run.err.find("Device:2,Area:1"));
    }
}

TEST_F(CliStreams, ListAndInfoAreDataOnStandardOutput)
{
    CliRun list = RunCli({"list"}, "devices=2;release=5512,0100;others=1", StateHome());
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_EQ(list.out,
              "0  sim-0  sim/1/kt7-00  release 5512  package KT7_Down.dat  commands 0xA1-0xA6\n"
              "1  sim-1  sim/1/kt7-01  release 0100  package KT7_Down0100.dat  commands 0xE1-0xE6\n");
    // Standard error carries only the one line saying the devices are simulated.
    const std::string simulatedNotice =
        "kt7-flash: simulated devices [模拟设备] (KT7_SIMULATE); no real device is used\n";
    EXPECT_EQ(list.err, simulatedNotice);

    CliRun info = RunCli({"info", m_dir.File("KT7_Down.dat")}, "devices=1", StateHome());
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_THAT(info.out, HasSubstr("Update Time:"));
    EXPECT_EQ(info.err, simulatedNotice);

    // None of ours attached (another HID device is): the list says so and
    // the exit code tells a script.
    CliRun none = RunCli({"list"}, "devices=0;others=1", StateHome());
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_EQ(none.out, "No device attached.\n");
}

} // namespace
