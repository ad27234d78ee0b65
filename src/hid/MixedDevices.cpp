#include "hid/MixedDevices.h"

#include <optional>

#include "hid/DeviceIdentity.h"
#include "hid/HidIO.h"
#include "hid/ReleaseProbe.h"

namespace {

// Every generic release number selects the same package and commands; any
// other selects a package of its own.
int KindOf(uint16_t release)
{
    return IsGenericRelease(release) ? -1 : release;
}

} // namespace

bool AreMixedDevicesAttached()
{
    std::optional<int> firstKind;
    for (const HidDeviceInfo& device : CHidIO::ListDevices(kDeviceVendorId, kDeviceProductId)) {
        const int kind = KindOf(device.releaseNumber);
        if (!firstKind)
            firstKind = kind;
        else if (kind != *firstKind)
            return true;
    }
    return false;
}
