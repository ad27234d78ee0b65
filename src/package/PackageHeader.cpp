#include <algorithm>
#include <cstring>

#include "package/Package.h"

namespace {

// Header field offsets within the payload's first 128 bytes.
constexpr size_t kMagicAt = 0x00;
constexpr size_t kMapScrambleLengthAt = 0x0C;
constexpr size_t kUpdateTimeAt = 0x10;
constexpr size_t kMainOffsetAt = 0x20;
constexpr size_t kMainSizeAt = 0x24;
constexpr size_t kMainAddressAt = 0x28;
constexpr size_t kFirmwareVersionAt = 0x2C;
constexpr size_t kVoiceOffsetAt = 0x30;
constexpr size_t kVoiceSizeAt = 0x34;
constexpr size_t kVoiceAddressAt = 0x38;
constexpr size_t kVoiceVersionAt = 0x3C;
constexpr size_t kMapOffsetAt = 0x40;
constexpr size_t kMapSizeAt = 0x44;
constexpr size_t kMapAddressAt = 0x48;
constexpr size_t kDataVersionAt = 0x4C;
constexpr size_t kMainCheckAt = 0x50;
constexpr size_t kVoiceCheckAt = 0x51;
constexpr size_t kMapCheckAt = 0x52;

uint32_t Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutLe32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

template <size_t N>
void GetText(char (&field)[N], const uint8_t* bytes, size_t at)
{
    std::memcpy(field, bytes + at, N);
}

template <size_t N>
void PutText(uint8_t* bytes, size_t at, const char (&field)[N])
{
    std::memcpy(bytes + at, field, N);
}

} // namespace

PackageHeader ParsePackageHeader(const uint8_t* payload, size_t available)
{
    // A payload shorter than the header reads its missing bytes as 0.
    uint8_t bytes[kPackageHeaderSize] = {};
    if (payload)
        std::memcpy(bytes, payload, std::min<size_t>(available, kPackageHeaderSize));

    PackageHeader h;
    GetText(h.magic, bytes, kMagicAt);
    h.mapScrambleLength = Le32(bytes + kMapScrambleLengthAt);
    GetText(h.updateTime, bytes, kUpdateTimeAt);
    h.mainOffset = Le32(bytes + kMainOffsetAt);
    h.mainSize = Le32(bytes + kMainSizeAt);
    h.mainAddress = Le32(bytes + kMainAddressAt);
    GetText(h.firmwareVersion, bytes, kFirmwareVersionAt);
    h.voiceOffset = Le32(bytes + kVoiceOffsetAt);
    h.voiceSize = Le32(bytes + kVoiceSizeAt);
    h.voiceAddress = Le32(bytes + kVoiceAddressAt);
    GetText(h.voiceVersion, bytes, kVoiceVersionAt);
    h.mapOffset = Le32(bytes + kMapOffsetAt);
    h.mapSize = Le32(bytes + kMapSizeAt);
    h.mapAddress = Le32(bytes + kMapAddressAt);
    GetText(h.dataVersion, bytes, kDataVersionAt);
    h.mainCheck = bytes[kMainCheckAt];
    h.voiceCheck = bytes[kVoiceCheckAt];
    h.mapCheck = bytes[kMapCheckAt];
    return h;
}

void StorePackageHeader(const PackageHeader& h, uint8_t out[kPackageHeaderSize])
{
    std::memset(out, 0, kPackageHeaderSize);
    PutText(out, kMagicAt, h.magic);
    PutLe32(out + kMapScrambleLengthAt, h.mapScrambleLength);
    PutText(out, kUpdateTimeAt, h.updateTime);
    PutLe32(out + kMainOffsetAt, h.mainOffset);
    PutLe32(out + kMainSizeAt, h.mainSize);
    PutLe32(out + kMainAddressAt, h.mainAddress);
    PutText(out, kFirmwareVersionAt, h.firmwareVersion);
    PutLe32(out + kVoiceOffsetAt, h.voiceOffset);
    PutLe32(out + kVoiceSizeAt, h.voiceSize);
    PutLe32(out + kVoiceAddressAt, h.voiceAddress);
    PutText(out, kVoiceVersionAt, h.voiceVersion);
    PutLe32(out + kMapOffsetAt, h.mapOffset);
    PutLe32(out + kMapSizeAt, h.mapSize);
    PutLe32(out + kMapAddressAt, h.mapAddress);
    PutText(out, kDataVersionAt, h.dataVersion);
    out[kMainCheckAt] = h.mainCheck;
    out[kVoiceCheckAt] = h.voiceCheck;
    out[kMapCheckAt] = h.mapCheck;
}
