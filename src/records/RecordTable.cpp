#include "records/RecordTable.h"

#include <cstdio>

#include "platform/FittedTable.h"
#include "records/RecordTexts.h"
#include "records/RecordTime.h"
#include "texts/UserTexts.h"

namespace {

enum ColumnIndex { kTime, kStation, kLocation, kSerial, kRelease, kPackage, kResult, kDuration, kAttempt };

// The package name mostly repeats the release column, and a bench's records
// mostly share their station: they give up width first. A serial number
// tells devices apart by its end, and the location says where the device
// is: they give up width last.
const TableLayout& Layout()
{
    static const TableLayout layout{{
                                        {kRecordTime, 11},
                                        {kRecordStation, 12},
                                        {kTableLocation, 12},
                                        {kTableSerial, 16},
                                        {kTableRelease, 6},
                                        {kTablePackage, 16},
                                        {kTableResult},
                                        {kTableTime, 6, true},
                                        {kTableAttempt, 4, true},
                                    },
                                    1,
                                    kResult,
                                    20,
                                    {kPackage, kStation, kSerial, kLocation}};
    return layout;
}

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

std::vector<std::string> RowOf(const DeviceRecord& r)
{
    std::string result = ResultLabel(r.result);
    if (!r.message.empty())
        result += " " + r.message;
    return {TimeText(r),        OrDash(r.station),      OrDash(r.location),        OrDash(r.serial.value_or("")),
            OrDash(r.release),  OrDash(r.packageFile),  result,                    DurationText(r.durationMs),
            std::to_string(r.attempt)};
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
    std::vector<std::vector<std::string>> rows;
    rows.reserve(records.size());
    for (const DeviceRecord& record : records)
        rows.push_back(RowOf(record));
    return FitTable(Layout(), std::move(rows), columns);
}
