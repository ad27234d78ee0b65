#include <algorithm>
#include <cstring>

#include "package/Package.h"
#include "platform/ByteOrder.h"

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
    h.mapScrambleLength = LoadLe32(bytes + kMapScrambleLengthAt);
    GetText(h.updateTime, bytes, kUpdateTimeAt);
    h.mainOffset = LoadLe32(bytes + kMainOffsetAt);
    h.mainSize = LoadLe32(bytes + kMainSizeAt);
    h.mainAddress = LoadLe32(bytes + kMainAddressAt);
    GetText(h.firmwareVersion, bytes, kFirmwareVersionAt);
    h.voiceOffset = LoadLe32(bytes + kVoiceOffsetAt);
    h.voiceSize = LoadLe32(bytes + kVoiceSizeAt);
    h.voiceAddress = LoadLe32(bytes + kVoiceAddressAt);
    GetText(h.voiceVersion, bytes, kVoiceVersionAt);
    h.mapOffset = LoadLe32(bytes + kMapOffsetAt);
    h.mapSize = LoadLe32(bytes + kMapSizeAt);
    h.mapAddress = LoadLe32(bytes + kMapAddressAt);
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
    StoreLe32(out + kMapScrambleLengthAt, h.mapScrambleLength);
    PutText(out, kUpdateTimeAt, h.updateTime);
    StoreLe32(out + kMainOffsetAt, h.mainOffset);
    StoreLe32(out + kMainSizeAt, h.mainSize);
    StoreLe32(out + kMainAddressAt, h.mainAddress);
    PutText(out, kFirmwareVersionAt, h.firmwareVersion);
    StoreLe32(out + kVoiceOffsetAt, h.voiceOffset);
    StoreLe32(out + kVoiceSizeAt, h.voiceSize);
    StoreLe32(out + kVoiceAddressAt, h.voiceAddress);
    PutText(out, kVoiceVersionAt, h.voiceVersion);
    StoreLe32(out + kMapOffsetAt, h.mapOffset);
    StoreLe32(out + kMapSizeAt, h.mapSize);
    StoreLe32(out + kMapAddressAt, h.mapAddress);
    PutText(out, kDataVersionAt, h.dataVersion);
    out[kMainCheckAt] = h.mainCheck;
    out[kVoiceCheckAt] = h.voiceCheck;
    out[kMapCheckAt] = h.mapCheck;
}
