#include "hid/Presence.h"

#include "hid/CommandSet.h"
#include "hid/DeviceIdentity.h"
#include "hid/HidIO.h"

int g_deviceCount = 1;

int IsDevicePresent()
{
    CHidIO io;
    int count = io.OpenDevice(kDeviceVendorId, kDeviceProductId);
    if (count == 0)
        return 0;
    g_deviceCount = count;
    io.CloseDevice();
    return 1;
}

void ResetDeviceState()
{
    g_deviceCount = 1;
    g_cmdCodeOffset = 0x00;
}
