#pragma once
// The USB identity by which the updater recognises its devices.

#include <cstdint>

inline constexpr uint16_t kDeviceVendorId = 0x0416;
inline constexpr uint16_t kDeviceProductId = 0xB500;
