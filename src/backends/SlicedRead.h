#pragma once
// A bounded read split into short slices, so that a device node that vanished
// while we wait ends the read as a failure instead of leaving it to run out.

#include <cstdint>
#include <functional>

inline constexpr uint32_t kReadSliceMs = 500;

// `readSlice(ms)` reads with that bound: bytes read, 0 on time-out, -1 on
// failure. `nodeExists()` tells whether the device is still there. Returns
// the bytes read, 0 when the whole time-out passed, -1 on failure or when the
// node is gone.
int ReadInSlices(const std::function<int(uint32_t)>& readSlice, const std::function<bool()>& nodeExists,
                 uint32_t timeoutMs, uint32_t sliceMs = kReadSliceMs);
