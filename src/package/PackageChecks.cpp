#include "package/PackageChecks.h"

#include <utility>

#include "package/AreaLayout.h"
#include "texts/UserTexts.h"
#include "platform/FlashGeometry.h"

namespace {

constexpr uint64_t kBlock = 1024;
constexpr uint8_t kErased = 0xFF;
constexpr uint32_t kMaxAreaSize = 0x7F00000u;

bool Present(uint32_t size)
{
    return size != kAreaAbsent;
}

// XOR of `blocks` 1024-byte blocks from `offset`; bytes past the payload
// count as erased flash.
uint8_t XorBlocks(const uint8_t* payload, size_t length, uint64_t offset, uint32_t blocks)
{
    uint64_t end = offset + blocks * kBlock;
    uint64_t inside = end <= length ? end : (offset < length ? length : offset);
    uint8_t sum = 0;
    for (uint64_t i = offset; i < inside; ++i)
        sum ^= payload[i];
    // An even number of 0xFF bytes XORs to 0.
    if ((end - inside) % 2 != 0)
        sum ^= kErased;
    return sum;
}

uint32_t BlockCount(uint32_t size)
{
    return (size / kBlock) & 0xFFFFu;
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

// The device writes an area from the start of the page its address lies in,
// so an address inside a page would put the area's bytes below it. Only
// present areas are written.
bool AreasStartOnPages(const PackageHeader& h)
{
    const std::pair<uint32_t, uint32_t> areas[] = {
        {h.mainSize, h.mainAddress}, {h.voiceSize, h.voiceAddress}, {h.mapSize, h.mapAddress}};
    for (const auto& [size, address] : areas)
        if (Present(size) && address % kPageSize != 0)
            return false;
    return true;
}

// The check bytes as the packages store them (one running offset from
// mainOffset through main, voice and map), compared in that order.
const char* CheckAreaBytes(const uint8_t* payload, uint32_t payloadLength, const PackageHeader& h)
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
    return nullptr;
}

} // namespace

PackageCheckBytes ComputeCheckBytes(const uint8_t* payload, size_t length, const PackageHeader& header)
{
    PackageCheckBytes checks;
    uint64_t offset = header.mainOffset;
    auto next = [&](uint32_t size, uint8_t* check, uint64_t* end) {
        uint32_t blocks = BlockCount(size);
        *check = XorBlocks(payload, length, offset, blocks);
        offset += uint64_t(blocks) * kBlock;
        *end = offset;
    };
    if (header.mainSize != kAreaAbsent)
        next(header.mainSize, &checks.main, &checks.mainEnd);
    if (header.voiceSize != kAreaAbsent)
        next(header.voiceSize, &checks.voice, &checks.voiceEnd);
    if (header.mapSize != kAreaAbsent)
        next(header.mapSize, &checks.map, &checks.mapEnd);
    return checks;
}

const char* FirstFailedCheck(const uint8_t* payload, uint32_t payloadLength, const PackageHeader& h)
{
    const uint32_t length = payload ? payloadLength : 0;
    if (length > kMaxAreaSize)
        return kMsgPayloadTooLarge;
    if (length <= kPackageHeaderSize)
        return kMsgPayloadTooSmall;
    if ((length - kPackageHeaderSize) % kPageSize != 0)
        return kMsgPayloadNotAligned;

    // An empty main program or voice area has no page to write.
    if (Present(h.mainSize) && (h.mainSize == 0 || h.mainSize > kMaxAreaSize))
        return kMsgMainSizeBad;
    if (Present(h.voiceSize) && (h.voiceSize == 0 || h.voiceSize > kMaxAreaSize))
        return kMsgVoiceSizeBad;
    if (Present(h.mapSize) && h.mapSize > kMaxAreaSize)
        return kMsgMapSizeBad;

    // The order and range of the addresses count whether or not the areas are
    // present; the extents only for present ones.
    if (!(h.mainAddress < h.voiceAddress && h.voiceAddress < h.mapAddress && h.mainAddress >= kAreaWindowStart &&
          h.mapAddress < kFlashEnd))
        return kMsgAddressBad;
    if (!AreasStartOnPages(h) || !ExtentsAreSound(h, length))
        return kMsgAddressBad;

    if (!Present(h.mainSize))
        return kMsgMainMissing;

    return CheckAreaBytes(payload, length, h);
}

std::string CheckPackage(const uint8_t* payload, uint32_t payloadLength, const PackageHeader& header)
{
    const char* failure = FirstFailedCheck(payload, payloadLength, header);
    return failure ? failure : "";
}
