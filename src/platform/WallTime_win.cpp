#include "platform/WallTime.h"

#include <windows.h>

#include <chrono>

#include "platform/WideText.h"

int64_t WallTimeUtcSeconds()
{
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

int UtcOffsetMinutes(int64_t secondsUtc)
{
    // The FILETIME of that moment, turned into local time by the system's rules.
    const int64_t ticks = (secondsUtc + 11644473600LL) * 10000000LL;
    FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utcTime{};
    SYSTEMTIME localTime{};
    if (!FileTimeToSystemTime(&utc, &utcTime) || !SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &localTime))
        return 0;
    FILETIME local{};
    if (!SystemTimeToFileTime(&localTime, &local))
        return 0;
    const int64_t localTicks = (static_cast<int64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
    return static_cast<int>((localTicks - ticks) / 10000000LL / 60);
}

std::string StationName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &length) || length == 0)
        return "station";
    return WideToUtf8(std::wstring(name, length));
}
