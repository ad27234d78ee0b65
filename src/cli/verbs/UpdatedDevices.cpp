#include "cli/verbs/UpdatedDevices.h"

#include "hid/DeviceIdentity.h"
#include "hid/HidIO.h"

std::vector<HidDeviceInfo> UpdatedDevices(HidBackend& backend)
{
    return CHidIO::ListDevices(backend, kDeviceVendorId, kDeviceProductId);
}
