#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "engine/AreaValues.h"
#include "hid/Protocol.h"
#include "package/PackageChecks.h"
#include "texts/UserTexts.h"
#include "package/PackageWriter.h"
#include "support/EngineHarness.h"

namespace {

std::string Check(const std::vector<uint8_t>& payload)
{
    return CheckPackage(payload.data(), static_cast<uint32_t>(payload.size()),
                        ParsePackageHeader(payload.data(), payload.size()));
}

struct CheckCase {
    const char* shows;
    std::function<PackageSpec()> contents;
    std::function<void(PackageHeader&)> editHeader;
    std::function<void(std::vector<uint8_t>&)> editPayload;
    std::string expected;  // empty: the package passes
};

PackageSpec WithVoiceAt(uint32_t address, size_t size)
{
    PackageSpec contents = ThreeAreaSpec();
    contents.voice->address = address;
    contents.voice->data = PatternBytes(size, 9);
    return contents;
}

TEST(CheckPackage, FirstFailingCheckGivesItsMessage)
{
    const auto three = [] { return ThreeAreaSpec(); };
    const auto mainOnly = [] { return MainOnlySpec(); };
    const CheckCase cases[] = {
        {"three areas pass", three, {}, {}, ""},
        {"main program alone passes", mainOnly, {}, {}, ""},
        {"header only", mainOnly, {}, [](auto& p) { p.resize(128); }, kMsgPayloadTooSmall},
        {"payload not in whole pages", mainOnly, {}, [](auto& p) { p.resize(p.size() + 100); }, kMsgPayloadNotAligned},
        {"384-byte payload passes the alignment check", mainOnly,
         [](auto& h) { h.mainSize = 256; h.mainCheck = 0; }, [](auto& p) { p.resize(384); }, ""},
        {"main size too large", three, [](auto& h) { h.mainSize = 0x7F00001; }, {}, kMsgMainSizeBad},
        {"voice size too large", three, [](auto& h) { h.voiceSize = 0x7F00001; }, {}, kMsgVoiceSizeBad},
        {"map size too large", three, [](auto& h) { h.mapSize = 0x7F00001; }, {}, kMsgMapSizeBad},
        {"empty main program", three, [](auto& h) { h.mainSize = 0; }, {}, kMsgMainSizeBad},
        {"empty voice area", three, [](auto& h) { h.voiceSize = 0; }, {}, kMsgVoiceSizeBad},
        {"empty map data still has its random block", three, [](auto& h) { h.mapSize = 0; h.mapCheck = 0; }, {}, ""},
        {"main below the area window", three, [](auto& h) { h.mainAddress = 0x4000F000; }, {}, kMsgAddressBad},
        {"main at the window start", three, [](auto& h) { h.mainAddress = 0x40010000; }, {}, ""},
        {"voice before main", three, [](auto& h) { h.voiceAddress = h.mainAddress; }, {}, kMsgAddressBad},
        {"map before voice", three, [](auto& h) { h.mapAddress = h.voiceAddress; }, {}, kMsgAddressBad},
        {"map at the window end", three, [](auto& h) { h.mapAddress = 0x40800000; }, {}, kMsgAddressBad},
        {"absent voice still needs its address in order", mainOnly,
         [](auto& h) { h.voiceAddress = 0x40000000; }, {}, kMsgAddressBad},
        // The device writes from the start of the address's page: the bytes
        // would land below the address.
        {"main inside a page", three, [](auto& h) { h.mainAddress = 0x40010010; }, {}, kMsgAddressBad},
        {"voice inside a page", three, [](auto& h) { h.voiceAddress += 0x80; }, {}, kMsgAddressBad},
        {"map inside a page", three, [](auto& h) { h.mapAddress += 1; }, {}, kMsgAddressBad},
        {"main on a page inside its sector", three, [](auto& h) { h.mainAddress = 0x40010100; }, {}, ""},
        {"absent voice's address is never written", mainOnly, [](auto& h) { h.voiceAddress = 0x40100001; }, {}, ""},
        {"main program missing", mainOnly, [](auto& h) { h.mainSize = 0xFFFFFFFF; }, {}, kMsgMainMissing},
        {"main check byte", three, [](auto& h) { h.mainCheck ^= 1; }, {}, kMsgMainCheckFailed},
        {"voice check byte", three, [](auto& h) { h.voiceCheck ^= 1; }, {}, kMsgVoiceCheckFailed},
        {"map check byte", three, [](auto& h) { h.mapCheck ^= 1; }, {}, kMsgMapCheckFailed},
        {"size check comes before the address check", three,
         [](auto& h) { h.voiceSize = 0x7F00001; h.mapAddress = 0; }, {}, kMsgVoiceSizeBad},
        // Flash safety: areas must fit the window, must not share sectors and
        // their data must lie inside the payload.
        {"main ending past the window", mainOnly,
         [](auto& h) { h.mainAddress = 0x407FF000; h.voiceAddress = 0x407FF100; h.mapAddress = 0x407FF200; },
         {}, kMsgAddressBad},
        {"voice ending past the window", [] { return WithVoiceAt(0x407FE000, 0x2100); },
         [](auto& h) { h.mapAddress = 0x407FF800; h.mapSize = 0xFFFFFFFF; }, {}, kMsgAddressBad},
        {"main running into voice", [] { return WithVoiceAt(0x40012000, 0x1000); }, {}, {}, kMsgAddressBad},
        {"voice running into map", [] { return WithVoiceAt(0x401FF000, 0x1800); }, {}, {}, kMsgAddressBad},
        {"main and voice sharing a sector", [] { return WithVoiceAt(0x40012400, 0x1000); }, {}, {}, kMsgAddressBad},
        {"main and voice touching at a sector boundary", [] { return WithVoiceAt(0x40013000, 0x1000); }, {}, {},
         ""},
        {"main data past the payload", three, [](auto& h) { h.mainOffset = h.mapOffset; }, {}, kMsgAddressBad},
        {"voice data past the payload", three, [](auto& h) { h.voiceOffset = 0xFFFFFF00u; }, {}, kMsgAddressBad},
        {"map data past the payload", three, [](auto& h) { h.mapOffset += 0x100; }, {}, kMsgAddressBad},
    };
    for (const CheckCase& c : cases) {
        PackageSpec contents = c.contents();
        contents.editHeader = c.editHeader;
        contents.editPayload = c.editPayload;
        EXPECT_EQ(Check(BuildPackagePayload(contents)), c.expected) << c.shows;
    }
}

TEST(CheckPackage, OversizedPayloadIsRefusedBeforeAnythingIsRead)
{
    PackageHeader header;
    EXPECT_EQ(CheckPackage(nullptr, 0, header), kMsgPayloadTooSmall);
    const uint8_t byte = 0;
    EXPECT_EQ(CheckPackage(&byte, 0x7F00001, header), kMsgPayloadTooLarge);
}

// The check bytes run on from the main program's blocks into whatever
// follows. With the main program stored last, the voice blocks would lie
// past the payload: the voice check fails instead of reading beyond it.
TEST(CheckPackage, CheckBlocksPastThePayloadFailTheirArea)
{
    std::vector<uint8_t> payload(128);
    const std::vector<uint8_t> voice = PatternBytes(0x1000, 5), main = PatternBytes(0x1000, 6);
    payload.insert(payload.end(), voice.begin(), voice.end());
    payload.insert(payload.end(), main.begin(), main.end());
    PackageHeader h;
    h.voiceOffset = 128;
    h.voiceSize = 0x1000;
    h.voiceAddress = 0x40100000;
    h.mainOffset = 128 + 0x1000;
    h.mainSize = 0x1000;
    h.mainAddress = 0x40010000;
    h.mapSize = 0xFFFFFFFF;
    h.mapAddress = 0x407FF000;
    const PackageCheckBytes checks = ComputeCheckBytes(payload.data(), payload.size(), h);
    h.mainCheck = checks.main;
    h.voiceCheck = checks.voice;
    StorePackageHeader(h, payload.data());
    // Exactly sized, so that a read past the end is caught by the sanitizers.
    auto exact = std::make_unique<uint8_t[]>(payload.size());
    std::memcpy(exact.get(), payload.data(), payload.size());
    EXPECT_EQ(CheckPackage(exact.get(), static_cast<uint32_t>(payload.size()), h), kMsgVoiceCheckFailed);
}

TEST(AreaValues, LengthsAndSumsOfEveryArea)
{
    const PackageSpec contents = ThreeAreaSpec();
    const std::vector<uint8_t> payload = BuildPackagePayload(contents);
    const PackageHeader h = ParsePackageHeader(payload.data(), payload.size());
    std::vector<uint8_t> image(256 + contents.map->data.size() + 1024, 0xAB);
    const std::vector<uint8_t> random = PatternBytes(256, 77);
    std::memcpy(image.data(), random.data(), 256);
    std::memcpy(image.data() + 256, contents.map->data.data(), contents.map->data.size());

    uint32_t lengths[3], sums[3];
    ComputeAreaValues(payload.data(), static_cast<uint32_t>(payload.size()), h, image.data(),
                      static_cast<uint32_t>(image.size()), lengths, sums);

    uint32_t wordSum = 0;
    for (size_t i = 0; i < contents.main->data.size(); i += 4)
        wordSum += LoadLe32(contents.main->data.data() + i);
    EXPECT_EQ(lengths[0], 0x2400u);
    EXPECT_EQ(wordSum + sums[0], 0u) << "the words and the negated sum add up to 0";
    EXPECT_EQ(lengths[1], 0x1800u);
    EXPECT_EQ(sums[1], ChunkSums(contents.voice->data));
    EXPECT_EQ(lengths[2], 0x1F00u + 256);
    std::vector<uint8_t> meaningful(image.begin(), image.begin() + 256 + 0x1F00);
    EXPECT_EQ(sums[2], ChunkSums(meaningful));
}

TEST(AreaValues, AbsentAreasGiveAllOnes)
{
    const std::vector<uint8_t> payload = BuildPackagePayload(MainOnlySpec());
    const PackageHeader h = ParsePackageHeader(payload.data(), payload.size());
    uint32_t lengths[3], sums[3];
    ComputeAreaValues(payload.data(), static_cast<uint32_t>(payload.size()), h, nullptr, 0, lengths, sums);
    EXPECT_EQ(lengths[1], 0xFFFFFFFFu);
    EXPECT_EQ(sums[1], 0xFFFFFFFFu);
    EXPECT_EQ(lengths[2], 0xFFFFFFFFu);
    EXPECT_EQ(sums[2], 0xFFFFFFFFu);
}

// Sums over a partial last chunk never see memory past the data: bytes past
// the payload, and past the map image's meaningful bytes, count as erased.
TEST(AreaValues, PartialLastChunksCountMissingBytesAsErased)
{
    std::vector<uint8_t> payload(128);
    const std::vector<uint8_t> voice = PatternBytes(0x180, 8);
    payload.insert(payload.end(), voice.begin(), voice.end());
    PackageHeader h;
    h.mainSize = 0xFFFFFFFF;
    h.voiceOffset = 128;
    h.voiceSize = 0x180;
    h.mapSize = 0x80;
    auto exact = std::make_unique<uint8_t[]>(payload.size());
    std::memcpy(exact.get(), payload.data(), payload.size());

    // The map image's last page is sent whole: what lies behind it is not.
    std::vector<uint8_t> imageA(0x80 + 1024, 0x11), imageB(0x80 + 1024, 0x22);
    std::memset(imageB.data(), 0x11, 512);
    uint32_t lengths[3], sumsA[3], sumsB[3];
    ComputeAreaValues(exact.get(), static_cast<uint32_t>(payload.size()), h, imageA.data(),
                      static_cast<uint32_t>(imageA.size()), lengths, sumsA);
    ComputeAreaValues(exact.get(), static_cast<uint32_t>(payload.size()), h, imageB.data(),
                      static_cast<uint32_t>(imageB.size()), lengths, sumsB);
    EXPECT_EQ(sumsA[1], ChunkSums(voice));
    EXPECT_EQ(sumsA[2], sumsB[2]) << "bytes behind the map image's last page must not change its sum";
    EXPECT_EQ(sumsA[2], ChunkSums(std::vector<uint8_t>(512, 0x11)));
    EXPECT_EQ(lengths[2], 256u + 0x80);
}

}  // namespace
