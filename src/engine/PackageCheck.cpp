#include "engine/PackageCheck.h"

#include "engine/AreaLayout.h"
#include "engine/EngineTexts.h"
#include "hid/Protocol.h"
#include "package/PackageChecks.h"
#include "platform/FlashGeometry.h"

namespace {

constexpr uint32_t kMaxAreaSize = 0x7F00000u;
constexpr uint8_t kErased = 0xFF;

bool Present(uint32_t size)
{
    return size != kAreaAbsent;
}

// Refuses areas that reach past the flash window or past the payload, and
// areas that share a sector: each area's erase would wipe the other's data.
// The sectors are those the update erases, so the check and the erase agree.
bool ExtentsAreSound(const PackageHeader& h, uint32_t payloadLength)
{
    const PackageLayout layout = LayoutOf(h);
    struct Area {
        const AreaLayout& flash;
        uint64_t offset;  // where its data starts in the payload
        uint32_t size;    // bytes read from the payload
    };
    const Area areas[] = {
        {layout.main, h.mainOffset, h.mainSize},
        {layout.voice, h.voiceOffset, h.voiceSize},
        {layout.map, h.mapOffset, h.mapSize},
    };
    uint64_t firstFreeSector = 0;  // past the last present area
    for (const Area& area : areas) {
        if (!area.flash.present)
            continue;
        const uint64_t endSector = uint64_t(area.flash.firstSector) + area.flash.sectorCount;
        if (endSector > kSectorCount || area.offset + area.size > payloadLength ||
            area.flash.firstSector < firstFreeSector)
            return false;
        firstFreeSector = endSector;
    }
    return true;
}

// The check bytes as the packages store them (one running offset from
// mainOffset through main, voice and map), compared in that order.
std::string CheckAreaBytes(const uint8_t* payload, uint32_t payloadLength, const PackageHeader& h)
{
    const PackageCheckBytes computed = ComputeCheckBytes(payload, payloadLength, h);
    struct Area {
        uint32_t size;
        uint8_t stored;
        uint8_t computed;
        uint64_t blocksEnd;
        const char* message;
    };
    const Area areas[] = {
        {h.mainSize, h.mainCheck, computed.main, computed.mainEnd, kMsgMainCheckFailed},
        {h.voiceSize, h.voiceCheck, computed.voice, computed.voiceEnd, kMsgVoiceCheckFailed},
        {h.mapSize, h.mapCheck, computed.map, computed.mapEnd, kMsgMapCheckFailed},
    };
    for (const Area& area : areas) {
        if (Present(area.size) && (area.blocksEnd > payloadLength || area.stored != area.computed))
            return area.message;
    }
    return {};
}

uint8_t ByteOr0xFF(const uint8_t* bytes, uint64_t length, uint64_t index)
{
    return index < length ? bytes[index] : kErased;
}

// Sum of the chunk checksums over `length` bytes from `start`, in 256-byte
// chunks (the last one completed); bytes at or past `limit` count as 0xFF.
uint32_t ChunkSums(const uint8_t* bytes, uint64_t limit, uint64_t start, uint64_t length)
{
    uint32_t total = 0;
    uint8_t chunk[kPageSize];
    for (uint64_t at = 0; at < length; at += kPageSize) {
        for (uint32_t i = 0; i < kPageSize; ++i)
            chunk[i] = ByteOr0xFF(bytes, limit, start + at + i);
        total += HidChecksum(chunk, kPageSize);
    }
    return total;
}

uint32_t NegatedWordSum(const uint8_t* payload, uint32_t payloadLength, uint64_t start, uint32_t size)
{
    uint32_t sum = 0;
    for (uint64_t at = 0; at + 4 <= size; at += 4) {
        uint8_t word[4];
        for (uint32_t i = 0; i < 4; ++i)
            word[i] = ByteOr0xFF(payload, payloadLength, start + at + i);
        sum += LoadLe32(word);
    }
    return 0u - sum;
}

}  // namespace

std::string CheckPackage(const uint8_t* payload, uint32_t payloadLength, const PackageHeader& h)
{
    const uint32_t length = payload ? payloadLength : 0;
    if (length > kMaxAreaSize)
        return kMsgPayloadTooLarge;
    if (length <= kPackageHeaderSize)
        return kMsgPayloadTooSmall;
    if ((length - kPackageHeaderSize) % kPageSize != 0)
        return kMsgPayloadNotAligned;

    if (Present(h.mainSize) && h.mainSize > kMaxAreaSize)
        return kMsgMainSizeBad;
    if (Present(h.voiceSize) && h.voiceSize > kMaxAreaSize)
        return kMsgVoiceSizeBad;
    if (Present(h.mapSize) && h.mapSize > kMaxAreaSize)
        return kMsgMapSizeBad;

    // The order and range of the addresses count whether or not the areas are
    // present; the extents only for present ones.
    if (!(h.mainAddress < h.voiceAddress && h.voiceAddress < h.mapAddress && h.mainAddress >= kAreaWindowStart &&
          h.mapAddress < kFlashEnd))
        return kMsgAddressBad;
    if (!ExtentsAreSound(h, length))
        return kMsgAddressBad;

    if (!Present(h.mainSize))
        return kMsgMainMissing;

    return CheckAreaBytes(payload, length, h);
}

std::string CheckLoadedPackage()
{
    return CheckPackage(g_packageData.get(), g_packageLength, g_packageHeader);
}

void ComputeAreaValues(const uint8_t* payload, uint32_t payloadLength, const PackageHeader& h,
                       const uint8_t* mapImage, uint32_t mapImageCapacity, uint32_t areaLengths[3],
                       uint32_t areaSums[3])
{
    const uint32_t length = payload ? payloadLength : 0;
    areaLengths[0] = h.mainSize;
    areaSums[0] = Present(h.mainSize) ? NegatedWordSum(payload, length, h.mainOffset, h.mainSize) : kAreaAbsent;

    if (Present(h.voiceSize)) {
        areaLengths[1] = h.voiceSize;
        areaSums[1] = ChunkSums(payload, length, h.voiceOffset, h.voiceSize);
    } else {
        areaLengths[1] = kAreaAbsent;
        areaSums[1] = kAreaAbsent;
    }

    if (Present(h.mapSize)) {
        const uint64_t imageLength = uint64_t(h.mapSize) + kMapRandomBlockSize;
        // Only the random block and the map data are meaningful; whatever
        // follows them up to the page end is sent as erased flash.
        uint64_t limit = mapImage ? imageLength : 0;
        if (limit > mapImageCapacity)
            limit = mapImageCapacity;
        areaLengths[2] = static_cast<uint32_t>(imageLength);
        areaSums[2] = ChunkSums(mapImage, limit, 0, imageLength);
    } else {
        areaLengths[2] = kAreaAbsent;
        areaSums[2] = kAreaAbsent;
    }
}
