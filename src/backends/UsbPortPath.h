#pragma once
// The USB port path of a device ("1-2.3": bus 1, root port 2, hub port 3),
// which names where it is plugged in and so survives its re-enumeration.

#include <string>
#include <string_view>

// The port path in a sysfs device path: its last component of the form
// BUS-PORT[.PORT...], as in
// "/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2.3/1-2.3:1.0/0003:0416:B500.0001/hidraw/hidraw0"
// -> "1-2.3". Interfaces ("1-2.3:1.0") and root hubs ("usb1") are not ports.
// Empty when there is none (a device that is not on USB).
std::string UsbPortPathOf(std::string_view devpath);
