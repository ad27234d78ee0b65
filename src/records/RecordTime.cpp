#include "records/RecordTime.h"

#include <chrono>
#include <cstdio>

namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Days counted from 1970-01-01 down, so that times before it fall on the
// day they belong to.
int64_t FloorDays(int64_t seconds)
{
    return seconds >= 0 ? seconds / kSecondsPerDay : -((-seconds + kSecondsPerDay - 1) / kSecondsPerDay);
}

std::optional<int> Digits(std::string_view text, size_t at, size_t count)
{
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool IsRealDate(const CivilDate& date)
{
    const std::chrono::year_month_day ymd{std::chrono::year(date.year), std::chrono::month(unsigned(date.month)),
                                          std::chrono::day(unsigned(date.day))};
    return ymd.ok();
}

}  // namespace

CivilTime CivilTimeOf(int64_t seconds)
{
    using namespace std::chrono;
    const int64_t days = FloorDays(seconds);
    const int64_t inDay = seconds - days * kSecondsPerDay;
    const year_month_day ymd{sys_days{std::chrono::days{days}}};
    CivilTime time;
    time.date = {int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day()))};
    time.hour = int(inDay / 3600);
    time.minute = int(inDay / 60 % 60);
    time.second = int(inDay % 60);
    return time;
}

std::string IsoUtcText(int64_t secondsUtc)
{
    const CivilTime t = CivilTimeOf(secondsUtc);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.date.year, t.date.month, t.date.day, t.hour,
                  t.minute, t.second);
    return text;
}

std::optional<int64_t> ParseIsoUtcText(std::string_view text)
{
    // 2026-12-10T08:15:30Z
    if (text.size() != 20 || text[10] != 'T' || text[13] != ':' || text[16] != ':' || text[19] != 'Z')
        return std::nullopt;
    const std::optional<CivilDate> date = ParseDateText(text.substr(0, 10));
    const std::optional<int> hour = Digits(text, 11, 2), minute = Digits(text, 14, 2), second = Digits(text, 17, 2);
    if (!date || !hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;
    using namespace std::chrono;
    const sys_days day{year_month_day{year(date->year), month(unsigned(date->month)), std::chrono::day(unsigned(date->day))}};
    return int64_t(day.time_since_epoch().count()) * kSecondsPerDay + *hour * 3600 + *minute * 60 + *second;
}

std::string DateText(const CivilDate& date)
{
    char text[24];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

std::optional<CivilDate> ParseDateText(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    const std::optional<int> year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
    if (!year || !month || !day)
        return std::nullopt;
    const CivilDate date{*year, *month, *day};
    if (!IsRealDate(date))
        return std::nullopt;
    return date;
}

CivilTime LocalTimeOf(int64_t secondsUtc, int utcOffsetMinutes)
{
    return CivilTimeOf(secondsUtc + int64_t(utcOffsetMinutes) * 60);
}

CivilTime RecordLocalTime(const DeviceRecord& record)
{
    return LocalTimeOf(record.timeUtc, record.utcOffsetMinutes);
}
