#pragma once
// What the system says about a device path hidapi gave us.

#include <string>

// False once the device behind `path` is gone (its hidraw node removed). On
// Windows a vanished device fails the read itself, so this stays true.
bool DeviceNodeExists(const std::string& path);

// True when the node exists but this process may not read and write it.
// Windows grants every user access to HID devices like ours: always false.
bool DeviceNodeAccessDenied(const std::string& path);
