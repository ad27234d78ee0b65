#pragma once
// The wall-clock time of the station, for records: seconds since 1970 in
// UTC, the local time's offset from UTC then, and the station's name.

#include <cstdint>
#include <string>

int64_t WallTimeUtcSeconds();
// Local time minus UTC at `secondsUtc`, in minutes (summer time included).
int UtcOffsetMinutes(int64_t secondsUtc);
// The computer's name; "station" when the system gives none.
std::string StationName();
