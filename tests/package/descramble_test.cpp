#include <gtest/gtest.h>

#include <vector>

#include "package/Descramble.h"
#include "package/PackageWriter.h"

namespace {

// The chunk rule written out byte by byte, independent of the fast path.
std::vector<uint8_t> ReferenceDescramble(std::vector<uint8_t> data, const KeyBlock& key)
{
    for (size_t start = 0; start < data.size(); start += 1024) {
        size_t n = std::min<size_t>(1024, data.size() - start);
        for (size_t i = 0; i < n; ++i)
            data[start + i] ^= i < n / 2 ? key[511 - i] : key[i];
    }
    return data;
}

std::vector<uint8_t> Bytes(size_t length)
{
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>(i * 31 + 5);
    return bytes;
}

struct DescrambleCase {
    const char* what;
    size_t length;
};

class DescrambleLengths : public testing::TestWithParam<DescrambleCase> {};

TEST_P(DescrambleLengths, MatchesTheChunkRuleAndUndoesItself)
{
    KeyBlock key = MakeKeyBlock(99);
    std::vector<uint8_t> plain = Bytes(GetParam().length);
    std::vector<uint8_t> data = plain;
    DescramblePackage(data.data(), data.size(), key.data());
    EXPECT_EQ(data, ReferenceDescramble(plain, key));
    DescramblePackage(data.data(), data.size(), key.data());
    EXPECT_EQ(data, plain);
}

INSTANTIATE_TEST_SUITE_P(Package, DescrambleLengths,
                         testing::Values(DescrambleCase{"empty", 0}, DescrambleCase{"one_byte", 1},
                                         DescrambleCase{"under_one_chunk", 700},
                                         DescrambleCase{"one_full_chunk", 1024},
                                         DescrambleCase{"full_chunks", 4096},
                                         DescrambleCase{"odd_final_chunk", 3 * 1024 + 301},
                                         DescrambleCase{"even_final_chunk", 2 * 1024 + 2},
                                         DescrambleCase{"one_past_a_chunk", 1025}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(Descramble, OddFinalChunkSplitsAtItsOwnHalf)
{
    // A final chunk of 2k + 1 bytes: its first k bytes take key bytes 511
    // down to 511 - k + 1, the other k + 1 take key bytes k to 2k.
    KeyBlock key{};
    for (size_t i = 0; i < key.size(); ++i)
        key[i] = static_cast<uint8_t>(i ^ (i >> 8) * 0x55);
    const size_t k = 5;
    std::vector<uint8_t> data(1024 + 2 * k + 1, 0);
    DescramblePackage(data.data(), data.size(), key.data());
    for (size_t i = 0; i < k; ++i)
        EXPECT_EQ(data[1024 + i], key[511 - i]) << "byte " << i;
    for (size_t i = k; i <= 2 * k; ++i)
        EXPECT_EQ(data[1024 + i], key[i]) << "byte " << i;
}

TEST(Descramble, PiecesOfWholeChunksGiveTheSameResultAsOneCall)
{
    KeyBlock key = MakeKeyBlock(3);
    std::vector<uint8_t> whole = Bytes(5 * 1024 + 77);
    std::vector<uint8_t> pieces = whole;
    DescramblePackage(whole.data(), whole.size(), key.data());
    DescramblePackage(pieces.data(), 2048, key.data());
    DescramblePackage(pieces.data() + 2048, pieces.size() - 2048, key.data());
    EXPECT_EQ(pieces, whole);
}

} // namespace
