#include "hid/DeviceFailure.h"

std::string FailureLogLine(const DeviceFailure& failure)
{
    std::string line = "ERROR: " + failure.operation;
    if (failure.device >= 0)
        line += " on device " + std::to_string(failure.device) + " (" + failure.location + ")";
    return line + ": " + failure.detail + "\n";
}

std::string RangeText(const char* unit, uint32_t first, uint32_t count)
{
    if (count == 1)
        return std::string(unit) + " " + std::to_string(first);
    return std::string(unit) + "s " + std::to_string(first) + "-" + std::to_string(uint64_t(first) + count - 1);
}
