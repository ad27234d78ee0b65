#include "engine/ControlBlocks.h"

#include "platform/ByteOrder.h"

uint32_t DrawRandomWord(Random& random)
{
    const uint32_t high = static_cast<uint32_t>(random.Next());
    const uint32_t low = static_cast<uint32_t>(random.Next());
    return high << 16 | low;
}

namespace {

void StoreWords(const uint32_t (&words)[kBlockWords], uint8_t block[kPageSize])
{
    for (uint32_t i = 0; i < kBlockWords; ++i)
        StoreLe32(block + 4 * i, words[i]);
}

}  // namespace

void BuildCheckCodeBlock(const uint32_t areaLengths[3], const uint32_t areaSums[3], Random& random,
                         uint8_t block[kPageSize])
{
    uint32_t w[kBlockWords];
    for (uint32_t i = 4; i < 16; ++i)
        w[i] = DrawRandomWord(random);
    for (uint32_t i = 16; i < kBlockWords; ++i)
        w[i] = 0xFFFFFFFFu;
    w[0] = areaLengths[1] ^ w[7];
    w[1] = areaSums[1] ^ w[6];
    w[2] = areaLengths[2] ^ w[6];
    w[3] = areaSums[2] ^ w[7];
    StoreWords(w, block);
}

void BuildProgramDescriptorBlock(const uint32_t areaLengths[3], const uint32_t areaSums[3],
                                 const PackageHeader& header, Random& random, uint8_t block[kPageSize])
{
    uint32_t w[kBlockWords];
    for (uint32_t i = 10; i < kBlockWords; ++i)
        w[i] = DrawRandomWord(random);
    w[0] = PROGRAM_DESCRIPTOR_SIGNATURE;
    w[1] = 56;
    w[2] = 0x130000u;
    // The device starts its program here whatever the package's main address.
    w[3] = kAreaWindowStart;
    w[4] = kAreaWindowStart;
    w[5] = areaLengths[0];
    w[6] = 0x100003u;
    w[7] = areaSums[0];
    w[8] = header.voiceAddress ^ w[10] ^ w[11] ^ w[14];
    w[9] = header.mapAddress ^ w[10] ^ w[12] ^ w[13] ^ w[15];
    StoreWords(w, block);
}
