#pragma once
// Where a HID device is plugged in: asked of udev on Linux, of the
// configuration manager on Windows.

#include <string>

// The USB port path ("1-2.3") of the USB device behind a hidraw node such as
// "/dev/hidraw3"; on Windows ("usb0-2.3") behind hidapi's device interface
// path. Empty when the system does not know the device or it is not on USB.
std::string UsbLocationOfHidraw(const std::string& nodePath);
