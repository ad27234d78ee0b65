#include <cstdio>

#include "cli/Commands.h"
#include "cli/DeviceResults.h"
#include "hid/DeviceIdentity.h"
#include "hid/HidIO.h"
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
        std::printf("%d  %s  %s  release %04X  package %s  commands %s", index, device.location.c_str(),
                    device.path.c_str(), device.releaseNumber, PackageFileNameFor(device.releaseNumber).c_str(),
                    CommandRangeFor(device.releaseNumber));
        if (!device.serialNumber.empty())
            std::printf("  serial %s", device.serialNumber.c_str());
        std::printf("\n");
        ++index;
    }
    // A script asking for devices learns from the code alone that there are none.
    if (index == 0) {
        std::printf("No device attached.\n");
        return ExitCodeOf(UpdateOutcome::NoDevice);
    }
    return kExitSuccess;
}
