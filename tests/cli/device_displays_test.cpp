#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "ScopedColumns.h"
#include "cli/terminal/Bell.h"
#include "cli/terminal/ParallelDisplay.h"
#include "cli/terminal/WatchDisplay.h"
#include "platform/Clock.h"
#include "platform/DisplayWidth.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::string Contents(std::FILE* file)
{
    std::fflush(file);
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;)
        text += static_cast<char>(c);
    std::fseek(file, 0, SEEK_END);
    return text;
}

ProgressEvent Event(ProgressEvent::Change change, int percent, uint32_t remainMs = 0, std::string area = {},
                    std::string status = {})
{
    ProgressEvent event;
    event.change = change;
    event.percent = percent;
    event.remainMs = remainMs;
    event.areaText = std::move(area);
    event.statusText = std::move(status);
    return event;
}

// The lines of the last redraw: what is on the terminal at the end.
std::vector<std::string> LastDrawn(const std::string& text)
{
    const size_t erase = text.rfind("\x1b[J");
    std::string last = erase == std::string::npos ? text : text.substr(erase + 3);
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = last.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(last.substr(at, end - at));
    return lines;
}

int Occurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// A count of seconds in the terminal's own short form ("3s"): a digit, then
// "s" that ends the word.
bool HasSecondsSuffix(const std::string& text)
{
    for (size_t at = 1; at < text.size(); ++at) {
        const bool ends = at + 1 == text.size() || !(std::isalnum(static_cast<unsigned char>(text[at + 1])) || text[at + 1] == '_');
        if (text[at] == 's' && std::isdigit(static_cast<unsigned char>(text[at - 1])) && ends)
            return true;
    }
    return false;
}

// Two devices: one goes through, one fails after a message.
void PlayTwoDevices(WatchDisplay& display)
{
    const int first = display.Started("1-1");
    const int second = display.Started("1-2");
    display.OnProgress(first, Event(ProgressEvent::Change::Area, 0, 0, "main"));
    display.OnProgress(first, Event(ProgressEvent::Change::Percent, 50, 1200, "main"));
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
    ScopedColumns columns("80");
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    {
        WatchDisplay display(out, true);
        const int first = display.Started("1-1");
        display.OnProgress(first, Event(ProgressEvent::Change::Percent, 50, 1200));
        display.Ended(first, true, "done");
    }
    // Each redraw goes up exactly as many lines as the one before drew.
    EXPECT_EQ(Contents(out),
              "0 updated, 0 failed, 0 in progress\n"
              "\x1b[1A\r\x1b[J"
              "1-1\n"
              "0 updated, 0 failed, 1 in progress\n"
              "\x1b[2A\r\x1b[J"
              "1-1   50%\n"
              "0 updated, 0 failed, 1 in progress\n"
              "\x1b[2A\r\x1b[J"
              "1-1  done\n"
              "1 updated, 0 failed, 0 in progress\n");
    std::fclose(out);
}

// Ctrl-C ends a watch that has nothing in progress; the terminal has echoed
// "^C" below the count line. The end goes back up over the count and wipes
// everything below it, so the results table starts on a fresh line.
TEST(WatchDisplay, ItsEndWipesWhatTheTerminalEchoedBelowTheCount)
{
    ScopedColumns columns("80");
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    WatchDisplay display(out, true);
    display.Ended(display.Started("1-1"), true, "done");
    const size_t before = Contents(out).size();
    display.Finish();
    EXPECT_EQ(Contents(out).substr(before), "\x1b[1A\r\x1b[J1 updated, 0 failed, 0 in progress\n");
    std::fclose(out);
}

// Ctrl-C's notice of a parallel run (a line of the run's own, of two lines)
// goes above the rows, which are drawn whole below it; the next redraw
// goes back up over the rows alone.
TEST(ParallelDisplay, TheRunsOwnLinesGoAboveTheRowsWhichStayWhole)
{
    ScopedColumns columns("80");
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    ParallelDisplay display(out, true, {"1-1", "1-2"});
    display.OnProgress(0, Event(ProgressEvent::Change::Percent, 10));
    display.OnProgress(1, Event(ProgressEvent::Change::Percent, 20));
    const size_t before = Contents(out).size();
    display.PrintLine("notice, first line\nsecond line");
    display.OnProgress(0, Event(ProgressEvent::Change::Percent, 30));
    EXPECT_EQ(Contents(out).substr(before),
              "\x1b[2A\r\x1b[J"
              "notice, first line\nsecond line\n"
              "1-1   10%\n"
              "1-2   20%\n"
              "\x1b[2A\r\x1b[J"
              "1-1   30%\n"
              "1-2   20%\n");
    std::fclose(out);
}

// --bell: once for a device done, twice for one that failed, the second a
// moment later so that a terminal does not sound the two as one.
TEST(Bell, OnceForADeviceDoneTwiceForOneThatFailed)
{
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    VirtualClock clock;
    Bell bell(out, clock);
    bell.Ring(false);
    EXPECT_EQ(Contents(out), "\a");
    EXPECT_EQ(clock.NowMs(), 0u);
    bell.Ring(true);
    EXPECT_EQ(Contents(out), "\a\a\a");
    EXPECT_GE(clock.NowMs(), 200u);
    std::fclose(out);

    Bell silent(nullptr, clock);
    silent.Ring(true);
}

// The parallel and the watch displays draw a device's row alike; what one
// device's row shows after its run's reports, on an 80-column terminal.
struct RowDisplay {
    const char* name;
    // Plays the reports as device sim-0 and returns the row as last drawn.
    std::function<std::string(std::FILE*, const std::vector<ProgressEvent>&)> play;
};

void PrintTo(const RowDisplay& display, std::ostream* out)
{
    *out << display.name;
}

const RowDisplay kRowDisplays[] = {
    {"parallel",
     [](std::FILE* out, const std::vector<ProgressEvent>& events) {
         ParallelDisplay display(out, true, {"sim-0"});
         for (const ProgressEvent& event : events)
             display.OnProgress(0, event);
         display.Finish();
         const std::vector<std::string> lines = LastDrawn(Contents(out));
         return lines.empty() ? std::string() : lines.front();
     }},
    {"watch",
     [](std::FILE* out, const std::vector<ProgressEvent>& events) {
         WatchDisplay display(out, true);
         const int row = display.Started("sim-0");
         for (const ProgressEvent& event : events)
             display.OnProgress(row, event);
         const std::vector<std::string> lines = LastDrawn(Contents(out));
         return lines.empty() ? std::string() : lines.front();
     }},
};

class DeviceRowShown : public testing::TestWithParam<RowDisplay> {};

TEST_P(DeviceRowShown, OnePercentAndOnlyTheStatusTextsEstimate)
{
    ScopedColumns columns("80");
    const std::string area = "Device:1,Area:1 ";
    struct Moment {
        const char* what;
        std::vector<ProgressEvent> events;
        const char* percent;
        bool estimate;  // the status text's "预估剩余…"
    };
    const Moment moments[] = {
        {"writing",
         {Event(ProgressEvent::Change::Area, 40, 250000, area),
          Event(ProgressEvent::Change::Percent, 45, 192000, area, "全国版数据：44%完成，预估剩余3分15秒..."),
          Event(ProgressEvent::Change::Status, 45, 192000, area, "全国版数据：45%完成，预估剩余3分12秒...")},
         "45%",
         true},
        {"erasing",
         {Event(ProgressEvent::Change::Status, 20, 61000, area, "全国版数据：正在擦除，预估剩余1分1秒...")},
         "20%",
         true},
        // The last percent step still carries an estimate; the end's text has none.
        {"finished",
         {Event(ProgressEvent::Change::Percent, 100, 3000, area, "全国版数据：99%完成，预估剩余3秒..."),
          Event(ProgressEvent::Change::Status, 100, 0, area, "升级成功，可以断开连接，耗时5秒302毫秒")},
         "100%",
         false},
    };
    for (const Moment& m : moments) {
        SCOPED_TRACE(m.what);
        std::FILE* out = std::tmpfile();
        ASSERT_NE(out, nullptr);
        const std::string row = GetParam().play(out, m.events);
        std::fclose(out);
        EXPECT_EQ(Occurrences(row, "%"), 1) << row;
        EXPECT_THAT(row, HasSubstr(m.percent));
        EXPECT_EQ(Occurrences(row, "预估剩余"), m.estimate ? 1 : 0) << row;
        // No estimate of the row's own beside the percent ("  3s").
        EXPECT_FALSE(HasSecondsSuffix(row)) << row;
        EXPECT_LE(DisplayWidth(row), 79) << row;
    }
}

INSTANTIATE_TEST_SUITE_P(Displays, DeviceRowShown, testing::ValuesIn(kRowDisplays),
                         [](const testing::TestParamInfo<RowDisplay>& info) { return std::string(info.param.name); });

} // namespace
