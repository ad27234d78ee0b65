#pragma once
// Reads pages just written back from every attached device and compares them
// with what was sent, moving the progress page while the data come in.

#include <cstdint>
#include <string>

class DeviceSet;
class ProgressPage;
struct ProgressState;

// A 1024-byte step read back is 16 reports of 64 bytes, one per millisecond
// frame of the device's interrupt endpoint.
inline constexpr uint32_t kReadMsPerStep = 16;

// True when every device of `devices` holds the `pageCount` pages from
// `firstPage` as in `data`. False when no device or another device count
// than the set's is attached, or a device differs or does not answer; the
// set then holds the failure, naming the device, `what` was read and the
// first page and byte that differ.
bool VerifyPagesWithProgress(DeviceSet& devices, ProgressState& progress, ProgressPage& page, const uint8_t* data,
                             uint32_t firstPage, uint32_t pageCount, const std::string& what);
