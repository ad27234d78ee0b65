#include "cli/DeviceResults.h"

#include <cstdio>

#include "hid/DeviceIdentity.h"
#include "hid/DeviceKind.h"
#include "hid/HidIO.h"
#include "package/LoadPackage.h"

std::vector<HidDeviceInfo> UpdatedDevices(HidBackend& backend)
{
    return CHidIO::ListDevices(backend, kDeviceVendorId, kDeviceProductId);
}

std::string DeviceResultLine(const DeviceResult& result)
{
    char release[16];
    std::snprintf(release, sizeof release, "%04X", result.device.releaseNumber);
    // The location, not the path: the path is the one from before the reset.
    const std::string& where = result.device.location.empty() ? result.device.path : result.device.location;
    std::string line = where + "  release " + release + "  ";
    switch (result.kind) {
    case DeviceResultKind::Updated:
        return line + "升级成功";
    case DeviceResultKind::Failed:
        return line + "升级失败" + (result.message.empty() ? "" : "：" + result.message);
    case DeviceResultKind::Stopped:
        return line + "未完成：" + result.cause + " 的设备失败，升级已停止";
    }
    return line;
}

std::string PackageFileNameFor(uint16_t releaseNumber)
{
    return PackageFileName(ReleaseTextOf(KindOf(releaseNumber)));
}

std::string CommandRangeFor(uint16_t releaseNumber)
{
    return CommandRangeOf(KindOf(releaseNumber));
}
