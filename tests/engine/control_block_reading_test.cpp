#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/AreaValues.h"
#include "engine/ControlBlockReading.h"
#include "engine/ControlBlocks.h"
#include "engine/ExpectedAreaValues.h"
#include "package/MapImage.h"
#include "platform/ByteOrder.h"
#include "support/EngineHarness.h"

namespace {

const uint32_t kLengths[3] = {0x2400, 0x1800, 0x2000};
const uint32_t kSums[3] = {0x89ABCDEFu, 0x0012F00Du, 0x00034567u};
const uint32_t kAbsent = 0xFFFFFFFFu;

struct Blocks {
    uint8_t checkCode[kPageSize];
    uint8_t descriptor[kPageSize];
};

Blocks Written(const uint32_t lengths[3], const uint32_t sums[3], uint32_t seed = 7)
{
    PackageHeader header;
    header.voiceAddress = 0x40100000;
    header.mapAddress = 0x40200000;
    Blocks blocks;
    Random random(seed);
    BuildCheckCodeBlock(lengths, sums, random, blocks.checkCode);
    BuildProgramDescriptorBlock(lengths, sums, header, random, blocks.descriptor);
    return blocks;
}

void SetWord(uint8_t block[kPageSize], int word, uint32_t value)
{
    StoreLe32(block + 4 * word, value);
}

TEST(ControlBlockReading, WhatTheBlocksSayTheDeviceHolds)
{
    using B = BlockState;
    using H = HeldPackage;
    struct Case {
        const char* shows;
        void (*edit)(Blocks&);  // on blocks written for kLengths/kSums
        H held;
        B checkCode, descriptor;
        std::array<bool, 3> lengthAgrees, sumAgrees;
    };
    const Case cases[] = {
        {"as the update wrote them", [](Blocks&) {}, H::ThisPackage, B::Valid, B::Valid, {1, 1, 1}, {1, 1, 1}},
        {"another main program sum", [](Blocks& b) { SetWord(b.descriptor, 7, 1); }, H::OtherPackage, B::Valid,
         B::Valid, {1, 1, 1}, {0, 1, 1}},
        {"another main program length", [](Blocks& b) { SetWord(b.descriptor, 5, 0x2500); }, H::OtherPackage,
         B::Valid, B::Valid, {0, 1, 1}, {1, 1, 1}},
        {"another voice length", [](Blocks& b) { b.checkCode[0] ^= 0x10; }, H::OtherPackage, B::Valid, B::Valid,
         {1, 0, 1}, {1, 1, 1}},
        {"another map sum", [](Blocks& b) { b.checkCode[12] ^= 0x01; }, H::OtherPackage, B::Valid, B::Valid,
         {1, 1, 1}, {1, 1, 0}},
        {"a changed mask word changes what it masks", [](Blocks& b) { b.checkCode[4 * 6] ^= 0x01; },
         H::OtherPackage, B::Valid, B::Valid, {1, 1, 0}, {1, 0, 1}},
        {"never written", [](Blocks& b) { std::memset(&b, 0xFF, sizeof b); }, H::NoPackage, B::Erased, B::Erased, {}, {}},
        // An update that failed between erasing a block's sector and writing it.
        {"check-code block erased", [](Blocks& b) { std::memset(b.checkCode, 0xFF, kPageSize); }, H::NoPackage,
         B::Erased, B::Valid, {}, {}},
        {"descriptor block erased", [](Blocks& b) { std::memset(b.descriptor, 0xFF, kPageSize); }, H::NoPackage,
         B::Valid, B::Erased, {}, {}},
        {"zeros", [](Blocks& b) { std::memset(&b, 0, sizeof b); }, H::NoPackage, B::NotValid, B::NotValid, {}, {}},
        {"descriptor without its signature", [](Blocks& b) { SetWord(b.descriptor, 0, 0x86017619u); },
         H::NoPackage, B::Valid, B::NotValid, {}, {}},
        {"descriptor with another fixed word", [](Blocks& b) { SetWord(b.descriptor, 6, 0x100004u); },
         H::NoPackage, B::Valid, B::NotValid, {}, {}},
        {"descriptor random word past the draws' range", [](Blocks& b) { SetWord(b.descriptor, 63, 0x8000u); },
         H::NoPackage, B::Valid, B::NotValid, {}, {}},
        {"check-code random word past the draws' range", [](Blocks& b) { SetWord(b.checkCode, 4, 0x80000000u); },
         H::NoPackage, B::NotValid, B::Valid, {}, {}},
        {"check-code tail not erased", [](Blocks& b) { b.checkCode[kPageSize - 1] = 0; }, H::NoPackage,
         B::NotValid, B::Valid, {}, {}},
        {"check-code block with its first words 0xFF",
         [](Blocks& b) { std::memset(b.checkCode, 0xFF, 63); }, H::NoPackage, B::NotValid, B::Valid, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shows);
        Blocks blocks = Written(kLengths, kSums);
        c.edit(blocks);
        const ControlBlockReading reading = ReadControlBlocks(blocks.checkCode, blocks.descriptor, kLengths, kSums);
        EXPECT_EQ(reading.held, c.held);
        EXPECT_EQ(reading.checkCode, c.checkCode);
        EXPECT_EQ(reading.descriptor, c.descriptor);
        EXPECT_EQ(reading.values.has_value(), c.held != H::NoPackage);
        EXPECT_EQ(reading.lengthAgrees, c.lengthAgrees);
        EXPECT_EQ(reading.sumAgrees, c.sumAgrees);
    }
}

TEST(ControlBlockReading, ValuesAreUnmaskedWhateverTheRandomWords)
{
    const uint32_t mainOnlyLengths[3] = {0x100, kAbsent, kAbsent};
    const uint32_t mainOnlySums[3] = {0xFFFFFF00u, kAbsent, kAbsent};
    for (uint32_t seed : {1u, 2u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(seed);
        Blocks blocks = Written(kLengths, kSums, seed);
        ControlBlockReading reading = ReadControlBlocks(blocks.checkCode, blocks.descriptor, kLengths, kSums);
        ASSERT_TRUE(reading.values);
        EXPECT_EQ(reading.values->areaLengths, (std::array<uint32_t, 3>{0x2400, 0x1800, 0x2000}));
        EXPECT_EQ(reading.values->areaSums, (std::array<uint32_t, 3>{0x89ABCDEFu, 0x0012F00Du, 0x00034567u}));
        EXPECT_EQ(reading.values->voiceAddress, 0x40100000u);
        EXPECT_EQ(reading.values->mapAddress, 0x40200000u);

        // Absent areas keep the complement of their masks and read back as absent.
        blocks = Written(mainOnlyLengths, mainOnlySums, seed);
        reading = ReadControlBlocks(blocks.checkCode, blocks.descriptor, mainOnlyLengths, mainOnlySums);
        EXPECT_EQ(reading.held, HeldPackage::ThisPackage);
        reading = ReadControlBlocks(blocks.checkCode, blocks.descriptor, kLengths, kSums);
        EXPECT_EQ(reading.held, HeldPackage::OtherPackage);
        EXPECT_EQ(reading.lengthAgrees, (std::array<bool, 3>{0, 0, 0}));
    }
}

// The device's pages after real updates: nothing, then one package, then
// another. The map's sum is the device's own only with the random block it
// keeps in its map area's first page.
TEST(ControlBlockReading, SimulatedDeviceBeforeAndAfterUpdates)
{
    EngineHarness harness("devices=1");
    const SimFirmware& device = harness.Firmware(0);
    const auto read = [&](const PackageSpec& contents, const MapRandomBlock* random) {
        const std::vector<uint8_t> payload = BuildPackagePayload(contents);
        const PackageHeader header = ParsePackageHeader(payload.data(), payload.size());
        MapRandomBlock block{};
        if (random) {
            block = *random;
        } else if (header.mapSize != kAreaAbsent) {
            const std::vector<uint8_t> first = FlashBytes(device, header.mapAddress, kMapRandomBlockSize);
            std::memcpy(block.data(), first.data(), block.size());
        }
        uint32_t lengths[3], sums[3];
        EXPECT_TRUE(ExpectedAreaValues(payload.data(), static_cast<uint32_t>(payload.size()), header, block, lengths,
                                       sums));
        const std::vector<uint8_t> check = FlashBytes(device, kFlashBase + kCheckCodePage * kPageSize, kPageSize);
        const std::vector<uint8_t> descriptor = FlashBytes(device, kFlashBase + kDescriptorPage * kPageSize, kPageSize);
        return ReadControlBlocks(check.data(), descriptor.data(), lengths, sums);
    };
    const PackageSpec three = ThreeAreaSpec(), mainOnly = MainOnlySpec();

    ControlBlockReading reading = read(three, nullptr);
    EXPECT_EQ(reading.held, HeldPackage::NoPackage);
    EXPECT_EQ(reading.checkCode, BlockState::Erased);
    EXPECT_EQ(reading.descriptor, BlockState::Erased);

    ASSERT_TRUE(harness.Install(three, /*mapSeed=*/5));
    RunWorker(harness);
    ASSERT_TRUE(harness.Messages().empty()) << harness.Messages().front();
    EXPECT_EQ(read(three, nullptr).held, HeldPackage::ThisPackage);
    const MapRandomBlock loadedAgain = MakeMapRandomBlock(6);
    reading = read(three, &loadedAgain);
    EXPECT_EQ(reading.held, HeldPackage::OtherPackage) << "a new load's random block gives another map sum";
    EXPECT_EQ(reading.sumAgrees, (std::array<bool, 3>{1, 1, 0}));
    EXPECT_EQ(read(mainOnly, nullptr).held, HeldPackage::OtherPackage);

    ASSERT_TRUE(harness.Install(mainOnly));
    RunWorker(harness);
    ASSERT_TRUE(harness.Messages().empty()) << harness.Messages().front();
    EXPECT_EQ(read(mainOnly, nullptr).held, HeldPackage::ThisPackage);
    reading = read(three, nullptr);
    EXPECT_EQ(reading.held, HeldPackage::OtherPackage);
    ASSERT_TRUE(reading.values);
    EXPECT_EQ(reading.values->areaLengths[0], mainOnly.main->data.size());
}

TEST(ExpectedAreaValues, MapOutsideThePayloadIsSaidSo)
{
    std::vector<uint8_t> payload = BuildPackagePayload(ThreeAreaSpec());
    PackageHeader header = ParsePackageHeader(payload.data(), payload.size());
    header.mapOffset = static_cast<uint32_t>(payload.size());
    uint32_t lengths[3], sums[3];
    EXPECT_FALSE(ExpectedAreaValues(payload.data(), static_cast<uint32_t>(payload.size()), header, MapRandomBlock{},
                                    lengths, sums));
    EXPECT_EQ(lengths[2], header.mapSize + kMapRandomBlockSize);
}

}  // namespace
