#include "hid/DeviceKind.h"

#include <cstdio>

#include "hid/Protocol.h"

DeviceKind KindOf(uint16_t releaseNumber)
{
    if (IsGenericRelease(releaseNumber))
        return {};
    return {true, releaseNumber};
}

DeviceKind KindOf(const ReleaseProbe& probe)
{
    return probe.found ? KindOf(probe.release) : DeviceKind{};
}

std::string ReleaseTextOf(DeviceKind kind)
{
    if (!kind.deviceSpecific)
        return {};
    char text[kReleaseTextSize];
    FormatReleaseText(kind.release, text);
    return text;
}

std::string CommandRangeOf(DeviceKind kind)
{
    // The shifted set moves every code but the version query's.
    const unsigned offset = kind.deviceSpecific ? 0x40 : 0x00;
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X-0x%02X", HID_CMD_ERASE + offset, HID_CMD_AREA_INFO + offset);
    return text;
}

std::optional<DeviceKind> CommonKind(const std::vector<HidDeviceInfo>& devices)
{
    std::optional<DeviceKind> common;
    for (const HidDeviceInfo& device : devices) {
        const DeviceKind kind = KindOf(device.releaseNumber);
        if (!common)
            common = kind;
        else if (kind != *common)
            return std::nullopt;
    }
    return common;
}
