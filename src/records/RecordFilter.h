#pragma once
// Which records `kt7-flash records --since DATE` shows.

#include <optional>
#include <string_view>
#include <vector>

#include "records/DeviceRecord.h"
#include "records/RecordTime.h"

// The first day to show: "today" (the caller's local date now), or a date
// written YYYY-MM-DD. None for anything else.
std::optional<CivilDate> ParseSinceDate(std::string_view text, const CivilDate& today);

// The records made on `since` or later, by the station's local date, in
// their order.
std::vector<DeviceRecord> RecordsSince(const std::vector<DeviceRecord>& records, const CivilDate& since);
