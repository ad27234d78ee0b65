#include "package/MapImage.h"

#include <cstring>

#include "platform/Random.h"

MapRandomBlock MakeMapRandomBlock(uint32_t seed)
{
    Random random(seed);
    MapRandomBlock block;
    for (auto& byte : block)
        byte = static_cast<uint8_t>(random.Next());
    return block;
}

MapKey DeriveMapKey(const MapRandomBlock& r)
{
    // Byte arithmetic wraps modulo 256; halving is a shift of the unsigned value.
    auto b = [](int value) { return static_cast<uint8_t>(value); };
    MapKey k;
    k[0] = b(r[5] - r[15]);
    k[1] = b(r[19] - r[23]);
    k[2] = b(4 * r[106]);
    k[3] = r[101];
    k[4] = b(r[108] + 4 * r[106]);
    k[5] = b((r[113] + r[114]) >> 1);
    k[6] = b(r[111] ^ r[97]);
    k[7] = r[115];
    k[8] = b(r[99] + 0x21);
    k[9] = r[104];
    k[10] = b(r[112] - k[1]);
    k[11] = r[6];
    k[12] = b(r[13] >> 1);
    k[13] = r[21];
    k[14] = b(r[24] - k[0]);
    k[15] = b(r[96] + k[6]);
    return k;
}

bool FillMapImage(uint8_t* image, size_t capacity, const uint8_t* payload, size_t payloadLength,
                  PackageHeader& header, const MapRandomBlock& random)
{
    uint64_t mapSize = header.mapSize;
    if (header.mapSize == kAreaAbsent || !image || !payload)
        return false;
    if (uint64_t(header.mapOffset) + mapSize > payloadLength || kMapRandomBlockSize + mapSize > capacity)
        return false;

    std::memcpy(image + kMapRandomBlockSize, payload + header.mapOffset, mapSize);
    std::memcpy(image, random.data(), kMapRandomBlockSize);
    std::memset(image + kMapRandomBlockSize + mapSize, 0xFF, capacity - kMapRandomBlockSize - mapSize);

    if (header.mapScrambleLength > header.mapSize)
        header.mapScrambleLength = header.mapSize;
    MapKey key = DeriveMapKey(random);
    uint8_t* data = image + kMapRandomBlockSize;
    for (uint32_t j = 0; j < header.mapScrambleLength; ++j)
        data[j] ^= key[j % key.size()];
    return true;
}
