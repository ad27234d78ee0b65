#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/terminal/Results.h"
#include "platform/DisplayWidth.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

DeviceRun Ended(const char* location, UpdateOutcome outcome, uint32_t elapsedMs, const char* message = "")
{
    DeviceRun run;
    run.device.location = location;
    run.device.releaseNumber = 0x5512;
    run.package = "KT7_Down.dat";
    run.outcome = outcome;
    run.elapsedMs = elapsedMs;
    run.message = message;
    run.cause = "on device 1 (sim-1): page 260 differs";
    return run;
}

// A failed row's result carries the message the user was shown, on one
// line; the cause is the log's. Written to a file nothing is clipped.
TEST(ResultTable, WhatADealerNeedsOfEachDevice)
{
    std::vector<DeviceRun> runs = {
        Ended("sim-0", UpdateOutcome::Success, 5302),
        Ended("sim-1", UpdateOutcome::UpdateFailed, 3001, "区域3数据写入失败，请检查USB连接！"),
        Ended("sim-2", UpdateOutcome::PackageLoadFailed, 12, "打开升级文件失败，请确认！\n/tmp/KT7_Down.dat：找不到该文件"),
    };
    runs[0].device.serialNumber = "KT7A0001";
    const std::vector<std::string> whole = ResultTableLines(runs, 0);
    ASSERT_EQ(whole.size(), 4u);
    EXPECT_THAT(whole[0], testing::StartsWith("位置   序列号    版本号  升级文件      结果    "));
    EXPECT_THAT(whole[0], testing::EndsWith("    耗时"));
    EXPECT_THAT(whole[1], testing::StartsWith("sim-0  KT7A0001  5512    KT7_Down.dat  升级成功    "));
    EXPECT_THAT(whole[1], testing::EndsWith("  5秒302毫秒"));
    EXPECT_THAT(whole[2], testing::StartsWith("sim-1  -         5512    KT7_Down.dat  升级失败 (4)  区域3数据写入失败，请检查USB连接！  "));
    EXPECT_THAT(whole[3], HasSubstr("升级失败 (1)  打开升级文件失败，请确认！ /tmp/KT7_Down.dat：找不到该文件  "));
    EXPECT_THAT(whole[3], testing::EndsWith("  12毫秒"));
    for (const std::string& line : whole)
        EXPECT_THAT(line, Not(HasSubstr("page 260"))) << "the cause goes to the log";

    // A device tried again: a row per attempt, numbered.
    DeviceRun again = runs[1];
    again.outcome = UpdateOutcome::Success;
    again.attempt = 2;
    runs.insert(runs.begin() + 2, again);
    const std::vector<std::string> retried = ResultTableLines(runs, 0);
    ASSERT_EQ(retried.size(), 5u);
    EXPECT_THAT(retried[0], testing::EndsWith("耗时  次数"));
    EXPECT_THAT(retried[2], testing::EndsWith("3秒1毫秒     1"));
    EXPECT_THAT(retried[3], testing::EndsWith("3秒1毫秒     2"));
}

// On a terminal every line keeps within its width: the message is clipped
// and the package gives up width, while the location, the serial number,
// the result and the time stay whole.
TEST(ResultTable, OnATerminalTheMessageIsClippedToTheWidth)
{
    std::vector<DeviceRun> runs = {
        Ended("1-2.3.4", UpdateOutcome::Success, 5302),
        Ended("1-2.3.5", UpdateOutcome::UpdateFailed, 3001, "区域3数据写入失败，请检查USB连接！"),
    };
    runs[0].device.serialNumber = "SN-0123456789";
    runs[1].device.serialNumber = "SN-0123456790";
    runs[1].package = "KT7_Down0123-for-the-bench.dat";
    for (int columns : {80, 70}) {
        SCOPED_TRACE(columns);
        const std::vector<std::string> lines = ResultTableLines(runs, columns);
        ASSERT_EQ(lines.size(), 3u);
        for (const std::string& line : lines)
            EXPECT_LE(DisplayWidth(line), columns - 1) << line;
        EXPECT_THAT(lines[2], HasSubstr("1-2.3.5  SN-0123456790  5512"));
        EXPECT_THAT(lines[2], HasSubstr("升级失败 (4)"));
        EXPECT_THAT(lines[2], testing::EndsWith("3秒1毫秒"));
        EXPECT_THAT(lines[2], Not(HasSubstr("请检查USB连接！"))) << "the message's end is clipped";
    }
}

} // namespace
