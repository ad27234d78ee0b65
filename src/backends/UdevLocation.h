#pragma once
// Where a hidraw device is plugged in, asked of udev.

#include <string>

// The USB port path ("1-2.3") of the USB device behind a hidraw node such as
// "/dev/hidraw3"; empty when udev does not know the node or it is not on USB.
std::string UsbLocationOfHidraw(const std::string& nodePath);
