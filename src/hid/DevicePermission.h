#pragma once
// Telling the user why a device node could not be opened when the reason is
// missing access rights, and which rule grants them.

#include <string>

#include "platform/HidBackend.h"

// Installed by the package; gives the logged-in user access to the device.
inline constexpr const char kUdevRulePath[] = "/usr/lib/udev/rules.d/70-kt7-updater.rules";

// True when the node exists but this process may not read and write it.
bool IsAccessDenied(const std::string& path);

// The diagnostic line for a node we may not open.
std::string AccessDeniedLine(const std::string& path);

// For a message about devices that could not be used: which of the attached
// devices this user may not open, the rule that grants access and the
// command that installs it. Empty when no device is refused for lack of
// rights.
std::string DevicePermissionHint(HidBackend& backend);

// `message`, with the hint as a second line when there is one.
std::string WithDevicePermissionHint(HidBackend& backend, const std::string& message);
