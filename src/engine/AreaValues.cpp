#include "engine/AreaValues.h"

#include "hid/Protocol.h"
#include "platform/FlashGeometry.h"

namespace {

constexpr uint8_t kErased = 0xFF;

bool Present(uint32_t size)
{
    return size != kAreaAbsent;
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
        // The last page goes out whole from the image (the loader fills its
        // tail with 0xFF), so the sum counts the bytes sent.
        uint64_t limit = mapImage ? (imageLength + kPageSize - 1) / kPageSize * kPageSize : 0;
        if (limit > mapImageCapacity)
            limit = mapImageCapacity;
        areaLengths[2] = static_cast<uint32_t>(imageLength);
        areaSums[2] = ChunkSums(mapImage, limit, 0, imageLength);
    } else {
        areaLengths[2] = kAreaAbsent;
        areaSums[2] = kAreaAbsent;
    }
}
