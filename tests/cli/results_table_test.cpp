#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/terminal/Results.h"
#include "platform/DisplayWidth.h"

namespace {

using ::testing::HasSubstr;

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

// A failed row ends with the message the user was shown, on one line; the
// cause is the log's. On a terminal every line keeps within its width.
TEST(ResultTable, AFailedRowGivesItsMessageClippedToTheTerminal)
{
    const std::vector<DeviceRun> runs = {
        Ended("sim-0", UpdateOutcome::Success, 5302),
        Ended("sim-1", UpdateOutcome::UpdateFailed, 3001, "区域3数据写入失败，请检查USB连接！"),
        Ended("sim-2", UpdateOutcome::PackageLoadFailed, 12, "打开升级文件失败，请确认！\n/tmp/KT7_Down.dat：找不到该文件"),
    };
    const std::vector<std::string> whole = ResultTableLines(runs, 0);
    ASSERT_EQ(whole.size(), 4u);
    EXPECT_EQ(whole[0], "位置   版本号  升级文件      结果          耗时        说明");
    EXPECT_EQ(whole[1], "sim-0  5512    KT7_Down.dat  升级成功      5秒302毫秒");
    EXPECT_EQ(whole[2], "sim-1  5512    KT7_Down.dat  升级失败 (4)  3秒1毫秒    区域3数据写入失败，请检查USB连接！");
    EXPECT_THAT(whole[3], HasSubstr("升级失败 (1)  12毫秒      打开升级文件失败，请确认！ /tmp/KT7_Down.dat：找不到该文件"));
    for (const std::string& line : whole)
        EXPECT_THAT(line, testing::Not(HasSubstr("page 260"))) << "the cause goes to the log";

    for (int columns : {80, 60, 30}) {
        SCOPED_TRACE(columns);
        const std::vector<std::string> clipped = ResultTableLines(runs, columns);
        ASSERT_EQ(clipped.size(), whole.size());
        for (size_t i = 0; i < clipped.size(); ++i) {
            EXPECT_LE(DisplayWidth(clipped[i]), columns - 1) << clipped[i];
            EXPECT_EQ(whole[i].rfind(clipped[i], 0), 0u) << "the start of the whole line: " << clipped[i];
        }
    }
}

} // namespace
