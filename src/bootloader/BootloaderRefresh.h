#pragma once
// The boot-loader check that precedes every update, and the rewrite of a boot
// loader that is too old from the image file beside the package (or else
// beside the program).

#include <cstdint>
#include <functional>
#include <string>

class DeviceSet;

inline constexpr char kBootloaderImageName[] = "Smpl_HIDTransfer.bin";

// The boot loader lives in sectors 0 to 7; page 128 (sector 8) holds the
// program descriptor block, which a longer image would overwrite.
inline constexpr uint64_t kMaxBootloaderImageLength = 0x8000;

// The probe that every device must answer before the version check.
inline constexpr uint32_t kProbePauseMs = 300;
inline constexpr uint32_t kProbeReadTimeoutMs = 1500;

// 1 when the update may go on (the boot loader is recent, or has just been
// rewritten from the file at `imagePath`), 0 when it may not: no device, a
// device that did not answer, no recognised version answer, or a rewrite
// that failed; `devices` then holds where it failed. `beforeRewrite`, when
// given, is called once just before a boot loader is rewritten.
int UpdateBootloader(DeviceSet& devices, const std::string& imagePath,
                     const std::function<void()>& beforeRewrite = {});

// Erases the first sectors of every device, writes the image file at
// `imagePath` from page 0 and reads it back from every device; when a device
// holds something else, erases and writes once more and reads back again.
// Returns the byte count written (pages x 256); 0 when the file can't be
// opened or read; -1 when the image is empty or too long, the buffer can't be
// allocated, the erase or the write fails, or the second read-back still
// differs.
int WriteBootloaderImage(DeviceSet& devices, const std::string& imagePath);
