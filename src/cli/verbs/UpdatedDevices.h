#pragma once
// The attached devices an update acts on.

#include <vector>

#include "platform/HidBackend.h"

// In the order the update numbers them.
std::vector<HidDeviceInfo> UpdatedDevices(HidBackend& backend);
