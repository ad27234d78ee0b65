#include "cli/DeviceResults.h"

#include <cstdio>

#include "hid/DeviceIdentity.h"
#include "hid/HidIO.h"
#include "hid/ReleaseProbe.h"
#include "package/Package.h"

std::vector<HidDeviceInfo> UpdatedDevices()
{
    return CHidIO::ListDevices(kDeviceVendorId, kDeviceProductId);
}

std::string DeviceResultLine(const HidDeviceInfo& device, bool succeeded)
{
    char release[16];
    std::snprintf(release, sizeof release, "%04X", device.releaseNumber);
    // The location, not the path: the path is the one from before the reset.
    const std::string& where = device.location.empty() ? device.path : device.location;
    return where + "  release " + release + "  " + (succeeded ? "升级成功" : "升级失败");
}

std::string PackageFileNameFor(uint16_t releaseNumber)
{
    if (IsGenericRelease(releaseNumber))
        return PackageFileName(nullptr);
    char text[kReleaseTextSize];
    FormatReleaseText(releaseNumber, text);
    return PackageFileName(text);
}

const char* CommandRangeFor(uint16_t releaseNumber)
{
    return IsGenericRelease(releaseNumber) ? "0xA1-0xA6" : "0xE1-0xE6";
}
