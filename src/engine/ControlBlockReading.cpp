#include "engine/ControlBlockReading.h"

#include "engine/ControlBlocks.h"
#include "platform/ByteOrder.h"

namespace {

using Words = std::array<uint32_t, kBlockWords>;

// A random word is two draws of 0..32767: bits 15 and 31 are never set.
constexpr uint32_t kNeverSetInRandomWords = 0x80008000u;

Words WordsOf(const uint8_t block[kPageSize])
{
    Words words;
    for (uint32_t i = 0; i < kBlockWords; ++i)
        words[i] = LoadLe32(block + 4 * i);
    return words;
}

bool AllErased(const Words& w)
{
    for (uint32_t word : w)
        if (word != 0xFFFFFFFFu)
            return false;
    return true;
}

bool RandomWords(const Words& w, uint32_t first, uint32_t end)
{
    for (uint32_t i = first; i < end; ++i)
        if (w[i] & kNeverSetInRandomWords)
            return false;
    return true;
}

BlockState CheckCodeState(const Words& w)
{
    if (AllErased(w))
        return BlockState::Erased;
    for (uint32_t i = 16; i < kBlockWords; ++i)
        if (w[i] != 0xFFFFFFFFu)
            return BlockState::NotValid;
    return RandomWords(w, 4, 16) ? BlockState::Valid : BlockState::NotValid;
}

BlockState DescriptorState(const Words& w)
{
    if (AllErased(w))
        return BlockState::Erased;
    const bool fixedWords = w[0] == PROGRAM_DESCRIPTOR_SIGNATURE && w[1] == 56 && w[2] == 0x130000u &&
                            w[3] == kAreaWindowStart && w[4] == kAreaWindowStart && w[6] == 0x100003u;
    return fixedWords && RandomWords(w, 10, kBlockWords) ? BlockState::Valid : BlockState::NotValid;
}

// The masks are those BuildCheckCodeBlock and BuildProgramDescriptorBlock use.
ControlBlockValues Unmask(const Words& check, const Words& descriptor)
{
    ControlBlockValues v;
    v.areaLengths = {descriptor[5], check[0] ^ check[7], check[2] ^ check[6]};
    v.areaSums = {descriptor[7], check[1] ^ check[6], check[3] ^ check[7]};
    v.voiceAddress = descriptor[8] ^ descriptor[10] ^ descriptor[11] ^ descriptor[14];
    v.mapAddress = descriptor[9] ^ descriptor[10] ^ descriptor[12] ^ descriptor[13] ^ descriptor[15];
    return v;
}

}  // namespace

ControlBlockReading ReadControlBlocks(const uint8_t checkCodeBlock[kPageSize], const uint8_t descriptorBlock[kPageSize],
                                     const uint32_t expectedLengths[3], const uint32_t expectedSums[3])
{
    const Words check = WordsOf(checkCodeBlock);
    const Words descriptor = WordsOf(descriptorBlock);
    ControlBlockReading reading;
    reading.checkCode = CheckCodeState(check);
    reading.descriptor = DescriptorState(descriptor);
    if (reading.checkCode != BlockState::Valid || reading.descriptor != BlockState::Valid)
        return reading;

    reading.values = Unmask(check, descriptor);
    bool all = true;
    for (int area = 0; area < 3; ++area) {
        reading.lengthAgrees[area] = reading.values->areaLengths[area] == expectedLengths[area];
        reading.sumAgrees[area] = reading.values->areaSums[area] == expectedSums[area];
        all = all && reading.lengthAgrees[area] && reading.sumAgrees[area];
    }
    reading.held = all ? HeldPackage::ThisPackage : HeldPackage::OtherPackage;
    return reading;
}
