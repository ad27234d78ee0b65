#pragma once
// The size of the device's reports, which the link and the command protocol
// both build on.

#include <cstddef>

inline constexpr size_t kReportSize = 65;         // report ID + payload
inline constexpr size_t kReportPayloadSize = 64;
