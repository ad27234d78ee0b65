#pragma once
// The device's flash as every layer sees it: an 8 MiB window addressed from
// 0x40000000, written in 256-byte pages and erased in 4096-byte sectors.

#include <cstdint>

inline constexpr uint32_t kFlashBase = 0x40000000u;
inline constexpr uint32_t kFlashEnd = 0x40800000u;  // first address past the window
inline constexpr uint32_t kFlashSize = kFlashEnd - kFlashBase;
inline constexpr uint32_t kPageSize = 256;
inline constexpr uint32_t kSectorSize = 4096;
inline constexpr uint32_t kPagesPerSector = kSectorSize / kPageSize;
inline constexpr uint32_t kPageCount = kFlashSize / kPageSize;
inline constexpr uint32_t kSectorCount = kFlashSize / kSectorSize;

// Fixed places in the first 64 KiB, which the package areas never use.
inline constexpr uint32_t kDescriptorPage = 128;   // sector 8
inline constexpr uint32_t kDescriptorSector = 8;
inline constexpr uint32_t kCheckCodePage = 160;    // sector 10
inline constexpr uint32_t kCheckCodeSector = 10;
inline constexpr uint32_t kAreaWindowStart = 0x40010000u;
