#include <gtest/gtest.h>

#include "backends/UsbPortPath.h"

namespace {

TEST(UsbPortPath, TakesTheUsbDeviceOutOfASysfsPath)
{
    struct Case {
        const char* what;
        const char* devpath;
        const char* port;
    };
    const Case cases[] = {
        {"hidraw node behind a hub",
         "/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2.3/1-2.3:1.0/0003:0416:B500.0001/hidraw/hidraw0", "1-2.3"},
        {"the USB device itself", "/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2.3", "1-2.3"},
        {"on a root port", "/devices/pci0000:00/0000:00:14.0/usb3/3-1/3-1:1.0/0003:0416:B500.0007/hidraw/hidraw5",
         "3-1"},
        {"hubs three deep, numbers of two digits",
         "/devices/platform/soc/usb12/12-10/12-10.4/12-10.4.11/12-10.4.11:1.2/0003:0416:B500.0002/hidraw/hidraw1",
         "12-10.4.11"},
        {"interfaces are not ports", "/devices/usb1/1-2:1.0", ""},
        {"root hubs are not ports", "/devices/pci0000:00/0000:00:14.0/usb1", ""},
        {"not on USB (uhid)", "/devices/virtual/misc/uhid/0005:046D:B01A.0003/hidraw/hidraw2", ""},
        {"a dash without a bus number", "/devices/x/-2/hidraw0", ""},
        {"an empty port", "/devices/x/1-2./hidraw0", ""},
        {"relative, no slash", "2-7", "2-7"},
        {"empty", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UsbPortPathOf(c.devpath), c.port) << c.what;
}

} // namespace
