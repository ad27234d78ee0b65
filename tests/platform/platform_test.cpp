#include <gtest/gtest.h>

#include <filesystem>

#include <string>

#include "platform/Clock.h"
#include "platform/Diagnostics.h"
#include "platform/ProgramDirectory.h"
#include "platform/SystemPath.h"
#include "platform/Random.h"

TEST(VirtualClock, SleepAdvancesAtOnceAndTicksWrapAt32Bits)
{
    VirtualClock clock(0xFFFFFF00u);
    clock.Sleep(0x200);
    EXPECT_EQ(clock.TickCount(), 0x100u);
    EXPECT_EQ(clock.NowMs(), 0x100000100ull);
}

TEST(Random, DrawsStayInRangeAndRepeatForTheSameSeed)
{
    Random a(1234), b(1234), c(1235);
    bool differs = false;
    for (int i = 0; i < 10000; ++i) {
        int x = a.Next();
        ASSERT_GE(x, 0);
        ASSERT_LE(x, Random::kMax);
        EXPECT_EQ(x, b.Next());
        differs |= x != c.Next();
    }
    EXPECT_TRUE(differs);
}

TEST(Diagnostics, PrintfGoesToTheGivenSinkAndLongLinesAreWhole)
{
    CapturingDiagnostics sink;
    DiagPrintf(sink, "USB HID Device VID[%04x] PID[%04x] Open Success.\n", 0x416, 0xb500);
    DiagPrintf(sink, "%s\n", std::string(1000, 'x').c_str());
    EXPECT_EQ(sink.Text(), "USB HID Device VID[0416] PID[b500] Open Success.\n" + std::string(1000, 'x') + "\n");
}

TEST(ProgramDirectory, IsTheRunningProgramsFolderWithASeparator)
{
    const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    const std::string directory = GetProgramDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.back(), separator);
    EXPECT_TRUE(std::filesystem::is_directory(PathFromUtf8(directory))) << directory;
}
