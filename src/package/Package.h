#pragma once
// The update package file: its header and its name.

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr uint32_t kMaxPackageFileLength = 0x7F00000u;
inline constexpr uint32_t kKeyBlockSize = 1024;
inline constexpr uint32_t kPackageHeaderSize = 128;
inline constexpr uint32_t kMapRandomBlockSize = 256;
inline constexpr uint32_t kAreaAbsent = 0xFFFFFFFFu;
inline constexpr char kPackageMagic[] = "KT7USBZL";
inline constexpr char kGenericPackageName[] = "KT7_Down.dat";

// The payload's first 128 bytes. Text fields are 8-bit (GBK) without
// terminator: read up to the first zero byte or the field's end.
struct PackageHeader {
    char magic[8] = {};
    uint32_t mapScrambleLength = 0;
    char updateTime[10] = {};
    uint32_t mainOffset = 0;
    uint32_t mainSize = 0;
    uint32_t mainAddress = 0;
    char firmwareVersion[4] = {};
    uint32_t voiceOffset = 0;
    uint32_t voiceSize = 0;
    uint32_t voiceAddress = 0;
    char voiceVersion[4] = {};
    uint32_t mapOffset = 0;
    uint32_t mapSize = 0;
    uint32_t mapAddress = 0;
    char dataVersion[4] = {};
    uint8_t mainCheck = 0;
    uint8_t voiceCheck = 0;
    uint8_t mapCheck = 0;
};

// Decodes a header from the first `available` bytes of a payload; bytes past
// them read as 0.
PackageHeader ParsePackageHeader(const uint8_t* payload, size_t available);
// The inverse: the header's 128 bytes, reserved bytes 0.
void StorePackageHeader(const PackageHeader& header, uint8_t out[kPackageHeaderSize]);
