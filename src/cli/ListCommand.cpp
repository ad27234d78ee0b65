#include <cstdio>

#include "cli/Commands.h"
#include "hid/HidIO.h"
#include "hid/ReleaseProbe.h"
#include "package/Package.h"
#include "platform/FlashGeometry.h"
#include "platform/Services.h"

namespace {

bool IsGenericRelease(uint16_t release)
{
    return release == kGenericRelease || release == kGenericReleaseAlt;
}

std::string PackageNameFor(uint16_t release)
{
    if (IsGenericRelease(release))
        return kGenericPackageName;
    char digits[5];
    std::snprintf(digits, sizeof digits, "%04X", release);
    std::string name = kGenericPackageName;
    return name.insert(name.size() - 4, digits);
}

} // namespace

int RunListCommand()
{
    // The same devices, in the same order and up to the same limit, as every
    // operation of the update opens.
    int index = 0;
    for (const HidDeviceInfo& device : GetHidBackend().Enumerate()) {
        if (device.vendorId != kDeviceVendorId || device.productId != kDeviceProductId)
            continue;
        if (index == CHidIO::kMaxDevices) {
            std::printf("(more devices attached; only the first %d are updated)\n", CHidIO::kMaxDevices);
            break;
        }
        bool generic = IsGenericRelease(device.releaseNumber);
        std::printf("%d  %s  release %04X  package %s  commands %s\n", index, device.path.c_str(),
                    device.releaseNumber, PackageNameFor(device.releaseNumber).c_str(),
                    generic ? "0xA1-0xA6" : "0xE1-0xE6");
        ++index;
    }
    if (index == 0)
        std::printf("No device attached.\n");
    return kExitSuccess;
}
