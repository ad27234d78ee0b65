#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "cli/ProgressLine.h"
#include "cli/TerminalPage.h"
#include "cli/TerminalWidth.h"
#include "platform/DisplayWidth.h"
#include "support/TestEnvironment.h"

namespace {

using ::testing::HasSubstr;

std::string Repeat(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

int CountOf(const std::string& text, char c)
{
    return static_cast<int>(std::count(text.begin(), text.end(), c));
}

TEST(DisplayWidth, WideCharactersTakeTwoColumns)
{
    struct Case {
        const char* what;
        std::string text;
        int width;
    };
    const Case cases[] = {
        {"empty", "", 0},
        {"ASCII", "Device:2,Area:1 ", 16},
        {"Chinese", "升级成功", 8},
        {"full-width punctuation", "：，！", 6},
        {"mixed", "全国版数据：45%完成", 19},
        {"ellipsis is narrow", "…", 1},
        {"combining accent adds nothing", "e\xCC\x81", 1},
        {"broken byte counts as one mark", "\xFF" "a", 2},
        {"character cut short", "\xE5\x8D", 2},
        {"four-byte wide character", "\xF0\xA0\x80\x80", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DisplayWidth(c.text), c.width);
    }
}

TEST(ClipToWidth, CutsBetweenCharactersWithinTheColumns)
{
    struct Case {
        std::string text;
        int columns;
        std::string clipped;
    };
    const Case cases[] = {
        {"升级成功", 8, "升级成功"}, {"升级成功", 7, "升级成"}, {"升级成功", 1, ""},
        {"ab升级", 3, "ab"},         {"abc", 0, ""},          {"abc", 10, "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " in " + std::to_string(c.columns));
        EXPECT_EQ(ClipToWidth(c.text, c.columns), c.clipped);
    }
}

TEST(StatusWithoutPercent, DropsOnlyThePercentPart)
{
    EXPECT_EQ(StatusWithoutPercent("全国版数据：45%完成，预估剩余3分12秒..."), "全国版数据：预估剩余3分12秒...");
    EXPECT_EQ(StatusWithoutPercent("全国版数据：100%完成，预估剩余0秒..."), "全国版数据：预估剩余0秒...");
    EXPECT_EQ(StatusWithoutPercent("全国版数据：正在擦除，预估剩余1分..."), "全国版数据：正在擦除，预估剩余1分...");
}

TEST(LayoutProgressLine, FitsEveryWidthWithOnePercent)
{
    const std::string writing = "全国版数据：45%完成，预估剩余3分12秒...";
    const std::string longText(300, 'x');
    struct Texts {
        const char* what;
        std::string area;
        std::string status;
    };
    const Texts texts[] = {
        {"writing", "Device:2,Area:1 ", writing},
        {"erasing", "Device:2,Area:3 ", "全国版数据：正在擦除，预估剩余12分59秒..."},
        {"waiting", "", kWaitingForDevicesText},
        {"done", "Device:2,Area:3 ", "升级成功，可以断开连接，耗时1分2秒345毫秒"},
        {"long ASCII", "Device:64,Area:3 ", longText},
        {"long Chinese", "", Repeat("升", 200)},
    };
    for (int columns : {1, 4, 5, 6, 10, 20, 39, 40, 41, 60, 79, 80, 81, 120, 200}) {
        for (const Texts& t : texts) {
            SCOPED_TRACE(std::string(t.what) + " at " + std::to_string(columns));
            const std::string line = LayoutProgressLine(columns, 45, t.area, t.status);
            EXPECT_LE(DisplayWidth(line), std::max(columns - 1, 0));
            EXPECT_EQ(line.find('\n'), std::string::npos);
            if (columns >= 5) {
                EXPECT_EQ(CountOf(line, '%'), 1) << line;
                EXPECT_THAT(line, HasSubstr(" 45%"));
            }
        }
    }
}

TEST(LayoutProgressLine, KeepsTheEstimateAt80AndShowsABarWhenThereIsRoom)
{
    struct Case {
        int columns;
        std::string expected;
    };
    const Case cases[] = {
        {200, "[#############-----------------]  45% Device:2,Area:1 全国版数据：预估剩余3分12秒..."},
        {80, "[###########--------------]  45% Device:2,Area:1 全国版数据：预估剩余3分12秒..."},
        {40, " 45% Device:2,Area:1 全国版数据：预估剩"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.columns);
        EXPECT_EQ(LayoutProgressLine(c.columns, 45, "Device:2,Area:1 ", "全国版数据：45%完成，预估剩余3分12秒..."),
                  c.expected);
    }
    EXPECT_EQ(LayoutProgressLine(40, 0, "", kWaitingForDevicesText), "[--------------]   0% 等待设备重新连接…");
}

// Sets COLUMNS for one test and puts the old value back.
class ScopedColumns {
public:
    explicit ScopedColumns(const char* value)
    {
        if (const char* old = std::getenv("COLUMNS"))
            m_old = old;
        if (value)
            SetEnv("COLUMNS", value);
        else
            UnsetEnv("COLUMNS");
    }
    ~ScopedColumns()
    {
        if (m_old)
            SetEnv("COLUMNS", m_old->c_str());
        else
            UnsetEnv("COLUMNS");
    }

private:
    std::optional<std::string> m_old;
};

TEST(TerminalColumns, FallsBackToColumnsThenTo80)
{
    struct Case {
        const char* columns;
        int expected;
    };
    const Case cases[] = {{nullptr, 80}, {"120", 120}, {"40", 40}, {"", 80}, {"0", 80}, {"-5", 80}, {"12x", 80}};
    std::FILE* notATerminal = std::tmpfile();
    ASSERT_NE(notATerminal, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.columns ? c.columns : "unset");
        ScopedColumns columns(c.columns);
        EXPECT_EQ(TerminalColumns(fileno(notATerminal)), c.expected);
    }
    std::fclose(notATerminal);
}

TEST(TerminalPage, EveryRedrawFitsTheTerminal)
{
    ScopedColumns columns("40");
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    {
        TerminalPage page(out, true);
        auto report = [&](ProgressEvent::Change change, int percent, const std::string& area, const std::string& status) {
            ProgressEvent event;
            event.change = change;
            event.percent = percent;
            event.areaText = area;
            event.statusText = status;
            page.OnProgress(event);
        };
        report(ProgressEvent::Change::Status, 0, "", kWaitingForDevicesText);
        report(ProgressEvent::Change::Area, 0, "Device:2,Area:1 ", kWaitingForDevicesText);
        for (int percent = 0; percent <= 100; percent += 7) {
            const std::string status = "全国版数据：" + std::to_string(percent) + "%完成，预估剩余12分34秒...";
            report(ProgressEvent::Change::Percent, percent, "Device:2,Area:1 ", status);
            report(ProgressEvent::Change::Status, percent, "Device:2,Area:1 ", status);
        }
        page.PrintLine("区域1数据写入失败，请检查USB连接！");
        page.Finish();
    }
    std::rewind(out);
    std::string text;
    for (int c; (c = std::fgetc(out)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(out);

    EXPECT_THAT(text, HasSubstr("等待设备重新连接…"));
    EXPECT_THAT(text, HasSubstr("\r\033[K区域1数据写入失败，请检查USB连接！\n"));
    size_t draws = 0;
    for (size_t at = text.find("\r\033[K"); at != std::string::npos; at = text.find("\r\033[K", at + 1)) {
        size_t end = text.find_first_of("\r\n", at + 4);
        const std::string line = text.substr(at + 4, end == std::string::npos ? std::string::npos : end - at - 4);
        EXPECT_LE(DisplayWidth(line), 39) << line;
        ++draws;
    }
    EXPECT_GT(draws, 10u);
}

} // namespace
