#include <cstdio>

#include "cli/Commands.h"
#include "hid/DeviceIdentity.h"
#include "hid/HidIO.h"
#include "hid/ReleaseProbe.h"
#include "package/Package.h"
#include "platform/Services.h"

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
        const bool generic = IsGenericRelease(device.releaseNumber);
        char releaseText[kReleaseTextSize] = {};
        if (!generic)
            FormatReleaseText(device.releaseNumber, releaseText);
        std::printf("%d  %s  %s  release %04X  package %s  commands %s", index, device.location.c_str(),
                    device.path.c_str(), device.releaseNumber, PackageFileName(releaseText).c_str(),
                    generic ? "0xA1-0xA6" : "0xE1-0xE6");
        if (!device.serialNumber.empty())
            std::printf("  serial %s", device.serialNumber.c_str());
        std::printf("\n");
        ++index;
    }
    if (index == 0)
        std::printf("No device attached.\n");
    return kExitSuccess;
}
