#pragma once
// The closing report of an update: one line per device, on standard output.

#include <string>
#include <vector>

#include "platform/HidBackend.h"

// The attached devices the update acts on, in the order it numbers them.
std::vector<HidDeviceInfo> UpdatedDevices();

// "<location>  release XXXX  <result>".
std::string DeviceResultLine(const HidDeviceInfo& device, bool succeeded);
