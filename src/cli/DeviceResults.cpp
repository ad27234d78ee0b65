#include "cli/DeviceResults.h"

#include <cstdio>

#include "hid/DeviceIdentity.h"
#include "hid/HidIO.h"
#include "platform/Services.h"

std::vector<HidDeviceInfo> UpdatedDevices()
{
    std::vector<HidDeviceInfo> devices;
    for (const HidDeviceInfo& device : GetHidBackend().Enumerate()) {
        if (device.vendorId != kDeviceVendorId || device.productId != kDeviceProductId)
            continue;
        if (devices.size() == static_cast<size_t>(CHidIO::kMaxDevices))
            break;
        devices.push_back(device);
    }
    return devices;
}

std::string DeviceResultLine(const HidDeviceInfo& device, bool succeeded)
{
    char release[16];
    std::snprintf(release, sizeof release, "%04X", device.releaseNumber);
    return device.path + "  release " + release + "  " + (succeeded ? "升级成功" : "升级失败");
}
