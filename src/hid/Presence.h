#pragma once
// Whether any updater device is attached, and how many.

#include "hid/DeviceState.h"

// 1 if at least one device is attached (its count is recorded), else 0 (the
// last count is kept, so only a check that finds devices can change it).
int IsDevicePresent();
