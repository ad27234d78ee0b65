#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/DisplayWidth.h"
#include "records/RecordCounts.h"
#include "records/RecordCsv.h"
#include "records/RecordFilter.h"
#include "records/RecordTable.h"
#include "records/RecordTime.h"

namespace {

DeviceRecord At(const char* utc, int offsetMinutes, const char* result, const char* message = "")
{
    DeviceRecord r;
    r.timeUtc = *ParseIsoUtcText(utc);
    r.utcOffsetMinutes = offsetMinutes;
    r.station = "A";
    r.location = "1-2.3";
    r.serial = "0001A3";
    r.release = "5512";
    r.packageFile = "KT7_Down.dat";
    r.result = result;
    r.message = message;
    r.durationMs = 16020;
    return r;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

TEST(RecordTime, CalendarTimesAndTheirText)
{
    struct Case {
        int64_t seconds;
        const char* iso;
    };
    const Case cases[] = {
        {0, "1970-01-01T00:00:00Z"},
        {-1, "1969-12-31T23:59:59Z"},
        {951782400, "2000-02-29T00:00:00Z"},
        {1796890530, "2026-12-10T08:15:30Z"},
        {253402300799, "9999-12-31T23:59:59Z"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsoUtcText(c.seconds), c.iso);
        EXPECT_EQ(ParseIsoUtcText(c.iso), c.seconds) << c.iso;
    }
    for (const char* bad : {"2026-12-10 08:15:30Z", "2026-12-10T24:00:00Z", "2026-12-10T08:60:00Z", "2025-02-29T00:00:00Z",
                            "2026-13-01T00:00:00Z", "2026-12-10T08:15:30+08:00", "+026-12-10T08:15:30Z", ""})
        EXPECT_FALSE(ParseIsoUtcText(bad)) << bad;

    const CivilTime beijing = LocalTimeOf(*ParseIsoUtcText("2026-12-31T17:30:00Z"), 480);
    EXPECT_EQ(beijing.date, (CivilDate{2027, 1, 1}));
    EXPECT_EQ(beijing.hour, 1);
    const CivilTime west = LocalTimeOf(*ParseIsoUtcText("2026-03-01T02:00:00Z"), -300);
    EXPECT_EQ(west.date, (CivilDate{2026, 2, 28}));
    EXPECT_EQ(west.hour, 21);
}

TEST(RecordFilter, SinceTakesTodayOrADate)
{
    const CivilDate today{2026, 12, 10};
    EXPECT_EQ(ParseSinceDate("today", today), today);
    EXPECT_EQ(ParseSinceDate("2026-11-30", today), (CivilDate{2026, 11, 30}));
    for (const char* bad : {"", "Today", "yesterday", "2026-2-3", "2026-02-30", "2026/12/10", "2026-12-10x"})
        EXPECT_FALSE(ParseSinceDate(bad, today)) << bad;
}

// The day is the station's own: at UTC+8, 17:30 UTC is the next morning.
TEST(RecordFilter, SinceCountsTheStationsLocalDate)
{
    const std::vector<DeviceRecord> records = {
        At("2026-12-09T15:59:59Z", 480, "success"),  // 12-09 23:59:59 in Beijing
        At("2026-12-09T16:00:00Z", 480, "failed"),   // 12-10 00:00:00
        At("2026-12-09T17:30:00Z", 0, "success"),    // 12-09 in London
        At("2026-12-11T01:00:00Z", -300, "stopped"), // 12-10 20:00 in New York
    };
    const std::vector<DeviceRecord> shown = RecordsSince(records, {2026, 12, 10});
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], records[1]);
    EXPECT_EQ(shown[1], records[3]);
    EXPECT_EQ(RecordsSince(records, {2026, 12, 11}).size(), 0u);
    EXPECT_EQ(RecordsSince(records, {2026, 1, 1}).size(), 4u);
}

TEST(RecordCounts, PerResultAndPerLocalDay)
{
    const std::vector<DeviceRecord> records = {
        At("2026-12-10T01:00:00Z", 480, "failed"),  At("2026-12-10T02:00:00Z", 480, "success"),
        At("2026-12-10T16:30:00Z", 480, "success"),  // 12-11 00:30 locally
        At("2026-12-09T03:00:00Z", 480, "stopped"), At("2026-12-10T05:00:00Z", 480, "skipped"),
        At("2026-12-10T06:00:00Z", 480, "success"),
    };
    const RecordCounts counts = CountRecords(records);
    EXPECT_EQ(counts.total, 6);
    ASSERT_EQ(counts.days.size(), 3u);
    EXPECT_EQ(counts.days[0].date, (CivilDate{2026, 12, 9}));
    EXPECT_EQ(counts.days[1].total, 4);
    EXPECT_EQ(RecordCountsText(counts),
              "共 6 条：成功 3，失败 1，中止 1，skipped 1\n"
              "2026-12-09  共 1 条：中止 1\n"
              "2026-12-10  共 4 条：成功 2，失败 1，skipped 1\n"
              "2026-12-11  共 1 条：成功 1\n");
    EXPECT_EQ(RecordCountsText(CountRecords({})), "");
}

TEST(RecordCsv, FieldsAreQuotedAsRfc4180Wants)
{
    struct Case {
        const char* text;
        const char* field;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"line\nbreak", "\"line\nbreak\""},
        {"", ""},
        {"工位一", "工位一"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CsvField(c.text), c.field) << c.text;
}

TEST(RecordCsv, ByteOrderMarkHeadingsAndOneRowPerRecord)
{
    DeviceRecord r = At("2026-12-10T08:15:30Z", 480, "failed", "区域3数据写入失败，请检查USB连接！");
    r.station = "bench, \"east\"";
    r.serial.reset();
    r.packageSha256 = std::string(64, 'f');
    r.firmwareVersion = "V112";
    r.verify = true;
    r.exitCode = 4;
    r.attempt = 2;
    const std::string csv = RecordsCsv({r});
    ASSERT_EQ(csv.rfind("\xEF\xBB\xBF", 0), 0u);
    EXPECT_EQ(csv.substr(3),
              "时间,UTC时间,工位,位置,序列号,版本号,升级文件,SHA-256,主程序版本,语音版本,数据版本,升级文件日期,读回校验,"
              "结果,退出码,原因,耗时(毫秒),次数\r\n"
              "2026-12-10 16:15:30,2026-12-10T08:15:30Z,\"bench, \"\"east\"\"\",1-2.3,,5512,KT7_Down.dat," +
                  std::string(64, 'f') +
                  ",V112,,,,是,失败,4,区域3数据写入失败，请检查USB连接！,16020,2\r\n");
}

TEST(RecordTable, DurationsAreShort)
{
    EXPECT_EQ(DurationText(0), "0.0s");
    EXPECT_EQ(DurationText(16020), "16.0s");
    EXPECT_EQ(DurationText(59999), "59.9s");
    EXPECT_EQ(DurationText(65000), "1m05s");
    EXPECT_EQ(DurationText(3600000 + 2 * 60000 + 5000), "1h02m");
}

TEST(RecordTable, ColumnsLineUpWithChineseHeadings)
{
    DeviceRecord failed = At("2026-12-10T08:16:00Z", 480, "failed", "区域3数据写入失败");
    failed.location = "1-2.4";
    failed.serial.reset();
    failed.durationMs = 8200;
    failed.attempt = 2;
    EXPECT_EQ(RecordsTable({At("2026-12-10T08:15:30Z", 480, "success"), failed}, 80),
              "时间        工位 位置  序列号 版本号 升级文件   结果                  耗时 次数\n"
              "12-10 16:15 A    1-2.3 0001A3 5512   KT7_Down.d 成功                 16.0s    1\n"
              "12-10 16:16 A    1-2.4 -      5512   KT7_Down.d 失败 区域3数据写入失  8.2s    2\n");
    // Given room, the reason is whole.
    EXPECT_NE(RecordsTable({failed}, 90).find("失败 区域3数据写入失败 8.2s    2\n"), std::string::npos);
}

// Long texts everywhere: no line reaches the terminal's last column, the
// reason is clipped, and the long station and package names give up width
// before the result does.
TEST(RecordTable, ClippedToTheTerminalsWidth)
{
    DeviceRecord r = At("2026-12-10T08:15:30Z", 480, "failed",
                        "校验码写入失败，请检查USB连接！ 设备 1-2.3.4.1 第160页 第17字节不同");
    r.station = "east bench by the window";
    r.location = "usb0-2.3.4.1.2";
    r.serial = "SN-0123456789ABCDEF";
    r.packageFile = "KT7_Down0123-for-the-test-bench.dat";
    r.durationMs = 93000;
    r.attempt = 12;
    for (int columns : {80, 100, 60, 40, 20}) {
        SCOPED_TRACE(columns);
        const std::vector<std::string> lines = Lines(RecordsTable({r, At("2026-12-10T09:00:00Z", 480, "success")}, columns));
        ASSERT_EQ(lines.size(), 3u);
        for (const std::string& line : lines)
            EXPECT_LE(DisplayWidth(line), columns - 1) << line;
    }
    const std::vector<std::string> both = Lines(RecordsTable({r, At("2026-12-10T09:00:00Z", 480, "success")}, 80));
    EXPECT_NE(both[2].find(" 1-2.3 "), std::string::npos) << "the location gives up width last: " << both[2];

    const std::vector<std::string> lines = Lines(RecordsTable({r}, 80));
    EXPECT_EQ(DisplayWidth(lines[1]), 79) << "the reason fills the line: " << lines[1];
    EXPECT_NE(lines[1].find("失败 校验码写入失败"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[1].find("第17字节不同"), std::string::npos) << "the reason's end is clipped: " << lines[1];
    EXPECT_NE(lines[1].find("1m33s   12"), std::string::npos) << "duration and attempt stay whole: " << lines[1];

    const std::vector<std::string> wide = Lines(RecordsTable({r}, 200));
    EXPECT_NE(wide[1].find("第17字节不同"), std::string::npos) << "room enough for the whole reason: " << wide[1];
    EXPECT_NE(wide[1].find("east bench b"), std::string::npos) << "the station up to its column's limit: " << wide[1];
}

// What a device reports (its serial number) or a hand-edited file holds
// reaches the terminal without line breaks or terminal commands.
TEST(RecordTable, CellsKeepToTheirLineAndSendNoCommands)
{
    DeviceRecord r = At("2026-12-10T08:15:30Z", 480, "failed", "first\nsecond\tthird\r");
    r.serial = "\x1b]0;title\x07\x1b[2J";
    r.station = "C1\xC2\x9B" "31m";
    const std::vector<std::string> lines = Lines(RecordsTable({r}, 120));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("first second third"), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find(" ]0;title  [2J "), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("C1 31m"), std::string::npos) << lines[1];
    for (char c : lines[1])
        EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7F) << int(c);
}

}  // namespace
