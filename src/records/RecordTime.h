#pragma once
// Calendar dates and times of records: UTC as ISO 8601 text, and the local
// date and time a record's own UTC offset gives. Pure: no time zone database,
// no clock.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "records/DeviceRecord.h"

struct CivilDate {
    int year = 1970;
    int month = 1;
    int day = 1;

    auto operator<=>(const CivilDate&) const = default;
};

struct CivilTime {
    CivilDate date;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The calendar time `seconds` after 1970-01-01 00:00:00.
CivilTime CivilTimeOf(int64_t seconds);

// "2026-12-10T08:15:30Z".
std::string IsoUtcText(int64_t secondsUtc);
// The inverse, for exactly that form with a real date and time; none otherwise.
std::optional<int64_t> ParseIsoUtcText(std::string_view text);

// "2026-12-10".
std::string DateText(const CivilDate& date);
// The inverse, for a real date in exactly that form; none otherwise.
std::optional<CivilDate> ParseDateText(std::string_view text);

// The local calendar time of a UTC time at an offset from UTC.
CivilTime LocalTimeOf(int64_t secondsUtc, int utcOffsetMinutes);

// The station's local time when the record was made.
CivilTime RecordLocalTime(const DeviceRecord& record);
