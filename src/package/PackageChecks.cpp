#include "package/PackageChecks.h"

namespace {

constexpr uint64_t kBlock = 1024;
constexpr uint8_t kErased = 0xFF;

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
