#include "platform/WallTime.h"

#include <unistd.h>

#include <chrono>
#include <ctime>

int64_t WallTimeUtcSeconds()
{
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

int UtcOffsetMinutes(int64_t secondsUtc)
{
    const std::time_t time = static_cast<std::time_t>(secondsUtc);
    std::tm local{};
    if (!localtime_r(&time, &local))
        return 0;
    return static_cast<int>(local.tm_gmtoff / 60);
}

std::string StationName()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return "station";
    return name;
}
