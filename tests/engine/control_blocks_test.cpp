#include <gtest/gtest.h>

#include "engine/ControlBlocks.h"
#include "hid/Protocol.h"

namespace {

std::vector<uint32_t> Words(const uint8_t block[kPageSize])
{
    std::vector<uint32_t> words(kBlockWords);
    for (uint32_t i = 0; i < kBlockWords; ++i)
        words[i] = LoadLe32(block + 4 * i);
    return words;
}

const uint32_t kLengths[3] = {0x2400, 0x1800, 0x2000};
const uint32_t kSums[3] = {0x89ABCDEFu, 0x0012F00Du, 0x00034567u};

TEST(ControlBlocks, RandomWordTakesTwoDrawsHighThenLow)
{
    Random a(5), b(5);
    const uint32_t high = static_cast<uint32_t>(b.Next());
    const uint32_t low = static_cast<uint32_t>(b.Next());
    EXPECT_EQ(DrawRandomWord(a), high << 16 | low);
}

TEST(ControlBlocks, CheckCodeBlockMasksVoiceAndMapValues)
{
    uint8_t block[kPageSize];
    Random random(1234);
    BuildCheckCodeBlock(kLengths, kSums, random, block);
    const std::vector<uint32_t> w = Words(block);

    Random replay(1234);
    for (uint32_t i = 4; i < 16; ++i)
        EXPECT_EQ(w[i], DrawRandomWord(replay)) << "random words in ascending order, word " << i;
    for (uint32_t i = 4; i < 16; ++i)
        EXPECT_EQ(w[i] & 0x80008000u, 0u) << "draws stay below 32768, word " << i;
    EXPECT_EQ(w[0] ^ w[7], kLengths[1]);
    EXPECT_EQ(w[1] ^ w[6], kSums[1]);
    EXPECT_EQ(w[2] ^ w[6], kLengths[2]);
    EXPECT_EQ(w[3] ^ w[7], kSums[2]);
    for (uint32_t i = 16; i < kBlockWords; ++i)
        EXPECT_EQ(w[i], 0xFFFFFFFFu) << i;
}

TEST(ControlBlocks, AbsentVoiceGivesTheComplementOfTheMasks)
{
    const uint32_t lengths[3] = {0x2400, 0xFFFFFFFFu, 0xFFFFFFFFu};
    const uint32_t sums[3] = {1, 0xFFFFFFFFu, 0xFFFFFFFFu};
    uint8_t block[kPageSize];
    Random random(99);
    BuildCheckCodeBlock(lengths, sums, random, block);
    const std::vector<uint32_t> w = Words(block);
    EXPECT_EQ(w[0], ~w[7]);
    EXPECT_EQ(w[1], ~w[6]);
}

TEST(ControlBlocks, DescriptorBlockHoldsFixedWordsAndMaskedAddresses)
{
    PackageHeader header;
    header.mainAddress = 0x40020000u;  // not what the device is told: it starts at 0x40010000
    header.voiceAddress = 0x40100000u;
    header.mapAddress = 0x40200000u;
    uint8_t block[kPageSize];
    Random random(7);
    BuildProgramDescriptorBlock(kLengths, kSums, header, random, block);
    const std::vector<uint32_t> w = Words(block);

    const uint32_t fixed[8] = {0x86017618u, 56, 0x130000u, 0x40010000u, 0x40010000u, kLengths[0], 0x100003u, kSums[0]};
    for (uint32_t i = 0; i < 8; ++i)
        EXPECT_EQ(w[i], fixed[i]) << "word " << i;
    Random replay(7);
    for (uint32_t i = 10; i < kBlockWords; ++i)
        EXPECT_EQ(w[i], DrawRandomWord(replay)) << "word " << i;
    EXPECT_EQ(w[8] ^ w[10] ^ w[11] ^ w[14], header.voiceAddress);
    EXPECT_EQ(w[9] ^ w[10] ^ w[12] ^ w[13] ^ w[15], header.mapAddress);
}

TEST(ControlBlocks, DifferentSeedsHideTheSameValuesDifferently)
{
    uint8_t a[kPageSize], b[kPageSize];
    Random ra(1000), rb(1001);
    BuildCheckCodeBlock(kLengths, kSums, ra, a);
    BuildCheckCodeBlock(kLengths, kSums, rb, b);
    const std::vector<uint32_t> wa = Words(a), wb = Words(b);
    EXPECT_NE(wa, wb);
    EXPECT_EQ(wa[0] ^ wa[7], wb[0] ^ wb[7]);
    EXPECT_EQ(wa[3] ^ wa[7], wb[3] ^ wb[7]);
}

}  // namespace
