#pragma once
// Writes a run of pages to every attached device and moves the progress page
// while the data goes out.

#include <cstdint>

class DeviceSet;
class ProgressPage;
struct ProgressState;

// The percent moves before every kilobyte sent, the status text before every
// 16 KiB; a read-back takes its steps at the same places.
inline constexpr uint32_t kPercentStepBytes = 1024;
inline constexpr uint32_t kStatusStepBytes = 16384;

// Sends HID_CMD_WRITE and pageCount * 256 bytes from `data` to each device of
// `devices` in turn, taking the progress steps of `progress` on `page`.
// Returns pageCount * 256 on success; 0 when no device or another device
// count than the set's is attached, a transfer fails, or pageCount is 0
// (the set then holds the failure).
int WritePagesWithProgress(DeviceSet& devices, ProgressState& progress, ProgressPage& page, const uint8_t* data,
                           uint32_t firstPage, uint32_t pageCount);
