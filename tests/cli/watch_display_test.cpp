#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/terminal/WatchDisplay.h"

namespace {

std::string Contents(std::FILE* file)
{
    std::fflush(file);
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;)
        text += static_cast<char>(c);
    return text;
}

// Two devices: one goes through, one fails after a message.
void PlayTwoDevices(WatchDisplay& display)
{
    const int first = display.Started("1-1");
    const int second = display.Started("1-2");
    display.SetArea(first, "main");
    display.SetPercent(first, 50, 1200);
    display.PrintMessage(second, "gone");
    display.Ended(second, false, "failed (4)");
    display.Ended(first, true, "done");
}

TEST(WatchDisplay, WithoutATerminalEveryChangeIsALineAndTheCountFollowsStartsAndEnds)
{
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    WatchDisplay display(out, false);
    PlayTwoDevices(display);
    EXPECT_EQ(Contents(out),
              "0 updated, 0 failed, 1 in progress\n"
              "0 updated, 0 failed, 2 in progress\n"
              "1-1  main\n"
              "1-2: gone\n"
              "1-2  failed (4)\n"
              "0 updated, 1 failed, 1 in progress\n"
              "1-1  done\n"
              "1 updated, 1 failed, 0 in progress\n");
    std::fclose(out);
}

TEST(WatchDisplay, OnATerminalResultsScrollAboveTheRowsInProgressAndTheCount)
{
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    {
        WatchDisplay display(out, true);
        const int first = display.Started("1-1");
        display.SetPercent(first, 50, 1200);
        display.Ended(first, true, "done");
    }
    // Each redraw goes up exactly as many lines as the one before drew.
    EXPECT_EQ(Contents(out),
              "0 updated, 0 failed, 0 in progress\n"
              "\x1b[1A\r\x1b[J"
              "1-1  \n"
              "0 updated, 0 failed, 1 in progress\n"
              "\x1b[2A\r\x1b[J"
              "1-1     50%  2s\n"
              "0 updated, 0 failed, 1 in progress\n"
              "\x1b[2A\r\x1b[J"
              "1-1  done\n"
              "1 updated, 0 failed, 0 in progress\n");
    std::fclose(out);
}

} // namespace
