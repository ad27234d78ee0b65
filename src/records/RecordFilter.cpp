#include "records/RecordFilter.h"

std::optional<CivilDate> ParseSinceDate(std::string_view text, const CivilDate& today)
{
    if (text == "today")
        return today;
    return ParseDateText(text);
}

std::vector<DeviceRecord> RecordsSince(const std::vector<DeviceRecord>& records, const CivilDate& since)
{
    std::vector<DeviceRecord> shown;
    for (const DeviceRecord& record : records)
        if (RecordLocalTime(record).date >= since)
            shown.push_back(record);
    return shown;
}
