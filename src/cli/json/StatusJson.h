#pragma once
// The object `kt7-flash status --json` prints for each device, in an array
// (docs/json.md).

#include <string>

#include "wizard/DeviceStatusCheck.h"

// Device `index` (numbered as list numbers it) and what status found.
std::string StatusJson(int index, const DeviceStatus& status);
