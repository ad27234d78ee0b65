#include "records/RecordTable.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "platform/DisplayWidth.h"
#include "records/RecordTexts.h"
#include "records/RecordTime.h"

namespace {

enum ColumnIndex { kTime, kStation, kLocation, kSerial, kRelease, kPackage, kResult, kDuration, kAttempt, kColumns };

struct Column {
    const char* heading;
    int limit;  // the widest it gets
    bool rightAligned;
};

constexpr std::array<Column, kColumns> kLayout = {{
    {kHeadingTime, 11, false},
    {kHeadingStation, 12, false},
    {kHeadingLocation, 12, false},
    {kHeadingSerial, 16, false},
    {kHeadingRelease, 4, false},
    {kHeadingPackage, 16, false},
    {kHeadingResult, 1 << 20, false},
    {kHeadingDuration, 6, true},
    {kHeadingAttempt, 4, true},
}};

// The columns that give up width for the result, first to last. The package
// name mostly repeats the release column; the location, which says where
// the device is, goes last.
constexpr ColumnIndex kShrinkOrder[] = {kStation, kSerial, kPackage, kLocation};

// Below this, a failure's reason is cut to a word or two.
constexpr int kResultWanted = 20;

using Row = std::array<std::string, kColumns>;

std::string OrDash(const std::string& text)
{
    return text.empty() ? "-" : text;
}

std::string TimeText(const DeviceRecord& record)
{
    const CivilTime t = RecordLocalTime(record);
    char text[32];
    std::snprintf(text, sizeof text, "%02d-%02d %02d:%02d", t.date.month, t.date.day, t.hour, t.minute);
    return text;
}

Row RowOf(const DeviceRecord& r)
{
    std::string result = ResultLabel(r.result);
    if (!r.message.empty())
        result += " " + r.message;
    return {TimeText(r),        OrDash(r.station),      OrDash(r.location),        OrDash(r.serial.value_or("")),
            OrDash(r.release),  OrDash(r.packageFile),  result,                    DurationText(r.durationMs),
            std::to_string(r.attempt)};
}

// A cell keeps to its line and sends the terminal no commands, whatever a
// device or a hand-edited file put into it: control characters (C0, DEL and,
// in UTF-8, C1) become spaces.
std::string Printable(std::string text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            out += ' ';
        } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            out += ' ';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::array<int, kColumns> Widths(const std::vector<Row>& rows, int usable)
{
    std::array<int, kColumns> widths{};
    for (int c = 0; c < kColumns; ++c) {
        int natural = DisplayWidth(kLayout[c].heading);
        for (const Row& row : rows)
            natural = std::max(natural, DisplayWidth(row[c]));
        widths[c] = std::min(natural, kLayout[c].limit);
    }
    const auto others = [&] {
        int sum = kColumns - 1;  // one space between columns
        for (int c = 0; c < kColumns; ++c)
            sum += c == kResult ? 0 : widths[c];
        return sum;
    };
    // Narrow the columns in their order, down to their headings' width,
    // until the result has room.
    for (ColumnIndex c : kShrinkOrder) {
        const int room = usable - others();
        const int wanted = std::min(widths[kResult], kResultWanted);
        if (room >= wanted)
            break;
        widths[c] = std::max(DisplayWidth(kLayout[c].heading), widths[c] - (wanted - room));
    }
    widths[kResult] = std::max(DisplayWidth(kHeadingResult), std::min(widths[kResult], usable - others()));
    return widths;
}

std::string Line(const Row& row, const std::array<int, kColumns>& widths, int usable)
{
    std::string line;
    for (int c = 0; c < kColumns; ++c) {
        const std::string cell = ClipToWidth(row[c], widths[c]);
        const std::string padding(static_cast<size_t>(std::max(0, widths[c] - DisplayWidth(cell))), ' ');
        if (c > 0)
            line += ' ';
        if (kLayout[c].rightAligned)
            line += padding + cell;
        else
            line += c == kColumns - 1 ? cell : cell + padding;
    }
    // Only a terminal too narrow for the headings gets here.
    return ClipToWidth(line, usable) + "\n";
}

}  // namespace

std::string DurationText(int64_t milliseconds)
{
    const int64_t seconds = milliseconds / 1000;
    char text[32];
    if (seconds < 60)
        std::snprintf(text, sizeof text, "%d.%ds", int(seconds), int(milliseconds % 1000 / 100));
    else if (seconds < 3600)
        std::snprintf(text, sizeof text, "%dm%02ds", int(seconds / 60), int(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%lldh%02dm", static_cast<long long>(seconds / 3600), int(seconds / 60 % 60));
    return text;
}

std::string RecordsTable(const std::vector<DeviceRecord>& records, int columns)
{
    const int usable = columns - 1;
    std::vector<Row> rows;
    rows.reserve(records.size());
    for (const DeviceRecord& record : records) {
        Row row = RowOf(record);
        for (std::string& cell : row)
            cell = Printable(std::move(cell));
        rows.push_back(std::move(row));
    }
    const std::array<int, kColumns> widths = Widths(rows, usable);
    Row heading;
    for (int c = 0; c < kColumns; ++c)
        heading[c] = kLayout[c].heading;
    std::string table = Line(heading, widths, usable);
    for (const Row& row : rows)
        table += Line(row, widths, usable);
    return table;
}
