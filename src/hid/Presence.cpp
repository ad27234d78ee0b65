#include "hid/Presence.h"

#include "hid/CommandSet.h"
#include "hid/DeviceIdentity.h"
#include "hid/HidIO.h"

int IsDevicePresent()
{
    CHidIO io;
    int count = io.OpenDevice(kDeviceVendorId, kDeviceProductId);
    if (count == 0)
        return 0;
    CurrentDeviceState().m_deviceCount = count;
    io.CloseDevice();
    return 1;
}
