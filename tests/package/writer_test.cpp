#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "package/Descramble.h"
#include "package/PackageChecks.h"
#include "package/PackageWriter.h"
#include "support/PackageTestFiles.h"

namespace {

uint8_t XorRange(const std::vector<uint8_t>& bytes, size_t from, size_t to)
{
    uint8_t x = 0;
    for (size_t i = from; i < to; ++i)
        x ^= bytes[i];
    return x;
}

TEST(CheckBytes, OneRunningOffsetCoversWholeKilobytesFromMainOffset)
{
    std::vector<uint8_t> payload = PatternBytes(0x4000, 9);
    PackageHeader h;
    h.mainOffset = 0x80;
    h.mainSize = 0x1100;   // 4 whole kilobytes; its last 0x100 bytes are not covered by main
    h.voiceOffset = 0x3000;  // ignored: the voice check runs on from main's blocks
    h.voiceSize = 0x800;   // 2 kilobytes
    h.mapSize = 0x500;     // 1 kilobyte
    PackageCheckBytes checks = ComputeCheckBytes(payload.data(), payload.size(), h);
    EXPECT_EQ(checks.main, XorRange(payload, 0x80, 0x80 + 0x1000));
    EXPECT_EQ(checks.voice, XorRange(payload, 0x1080, 0x1080 + 0x800));
    EXPECT_EQ(checks.map, XorRange(payload, 0x1880, 0x1880 + 0x400));
}

TEST(CheckBytes, AbsentAreasAndSixteenBitBlockCount)
{
    std::vector<uint8_t> payload = PatternBytes(0x3000, 4);
    struct Case {
        const char* what;
        uint32_t mainSize, voiceSize, mapSize;
        PackageCheckBytes expected;
    };
    const Case cases[] = {
        {"absent voice does not move the offset", 0x400, kAreaAbsent, 0x400,
         {XorRange(payload, 0, 0x400), 0, XorRange(payload, 0x400, 0x800)}},
        {"block count keeps 16 bits: 65537 blocks count as 1", 0x4000400u, 0x400, kAreaAbsent,
         {XorRange(payload, 0, 0x400), XorRange(payload, 0x400, 0x800), 0}},
        {"area under a kilobyte checks nothing", 0x3FF, 0x400, 0x400,
         {0, XorRange(payload, 0, 0x400), XorRange(payload, 0x400, 0x800)}},
    };
    for (const Case& c : cases) {
        PackageHeader h;
        h.mainSize = c.mainSize;
        h.voiceSize = c.voiceSize;
        h.mapSize = c.mapSize;
        PackageCheckBytes checks = ComputeCheckBytes(payload.data(), payload.size(), h);
        EXPECT_EQ(checks.main, c.expected.main) << c.what;
        EXPECT_EQ(checks.voice, c.expected.voice) << c.what;
        EXPECT_EQ(checks.map, c.expected.map) << c.what;
    }
}

TEST(CheckBytes, BytesPastThePayloadCountAsErasedFlash)
{
    std::vector<uint8_t> payload = PatternBytes(0x400 + 0x201, 6);
    PackageHeader h;
    h.mainSize = 0x800;
    h.voiceSize = h.mapSize = kAreaAbsent;
    std::vector<uint8_t> padded = payload;
    padded.resize(0x800, 0xFF);
    EXPECT_EQ(ComputeCheckBytes(payload.data(), payload.size(), h).main, XorRange(padded, 0, 0x800));
}

TEST(PackageWriter, LaysOutAreasAndStoresTheirFields)
{
    PackageSpec contents = SamplePackageSpec();
    contents.main->data = PatternBytes(0x11F1, 1);  // not page-sized: padded in the payload
    contents.main->version = "LONGER";               // cut to 4
    contents.updateTime = "2026-12-10 08:00";        // cut to 10
    std::vector<uint8_t> payload = BuildPackagePayload(contents);
    PackageHeader h = ParsePackageHeader(payload.data(), payload.size());

    EXPECT_EQ(std::string(h.magic, 8), "KT7USBZL");
    EXPECT_EQ(std::string(h.updateTime, 10), "2026-12-10");
    EXPECT_EQ(std::string(h.firmwareVersion, 4), "LONG");
    EXPECT_EQ(h.mapScrambleLength, 0x100u);
    EXPECT_EQ(h.mainOffset, 128u);
    EXPECT_EQ(h.mainSize, 0x11F1u);
    EXPECT_EQ(h.mainAddress, 0x40010000u);
    EXPECT_EQ(h.voiceOffset, 128u + 0x1200);
    EXPECT_EQ(h.voiceSize, 0x800u);
    EXPECT_EQ(h.mapOffset, 128u + 0x1200 + 0x800);
    EXPECT_EQ(h.mapSize, 0x400u);
    EXPECT_EQ(h.mapAddress, 0x40030000u);
    EXPECT_EQ(payload.size(), 128u + 0x1200 + 0x800 + 0x400);
    EXPECT_EQ((payload.size() - 128) % 256, 0u);
    EXPECT_TRUE(std::equal(contents.main->data.begin(), contents.main->data.end(), payload.begin() + 128));
    EXPECT_EQ(payload[128 + 0x11F1], 0xFF) << "padding is erased flash";
    EXPECT_TRUE(std::equal(contents.map->data.begin(), contents.map->data.end(), payload.begin() + h.mapOffset));

    PackageCheckBytes checks = ComputeCheckBytes(payload.data(), payload.size(), h);
    EXPECT_EQ(h.mainCheck, checks.main);
    EXPECT_EQ(h.voiceCheck, checks.voice);
    EXPECT_EQ(h.mapCheck, checks.map);
    EXPECT_NE(checks.main, 0) << "the fixture should give a nonzero check";
}

TEST(PackageWriter, FileIsTheKeyBlockAndTheScrambledPayload)
{
    PackageSpec contents = SamplePackageSpec();
    std::vector<uint8_t> file = BuildPackageFile(contents);
    std::vector<uint8_t> payload = BuildPackagePayload(contents);
    ASSERT_EQ(file.size(), 1024 + payload.size());
    EXPECT_TRUE(std::equal(contents.keyBlock->begin(), contents.keyBlock->end(), file.begin()));
    std::vector<uint8_t> descrambled(file.begin() + 1024, file.end());
    DescramblePackage(descrambled.data(), descrambled.size(), file.data());
    EXPECT_EQ(descrambled, payload);

    contents.keyBlock.reset();
    EXPECT_NE(BuildPackageFile(contents), BuildPackageFile(contents)) << "a fresh random key block each time";
}

TEST(PackageWriter, AbsentAreasKeepTheAddressOrder)
{
    struct Case {
        const char* what;
        bool main, voice, map;
    };
    const Case cases[] = {{"main only", true, false, false},
                          {"no voice", true, false, true},
                          {"no map", true, true, false},
                          {"no main", false, true, true}};
    for (const Case& c : cases) {
        PackageSpec contents = SamplePackageSpec();
        if (!c.main)
            contents.main.reset();
        if (!c.voice)
            contents.voice.reset();
        if (!c.map)
            contents.map.reset();
        std::vector<uint8_t> payload = BuildPackagePayload(contents);
        PackageHeader h = ParsePackageHeader(payload.data(), payload.size());
        EXPECT_EQ(h.mainSize == kAreaAbsent, !c.main) << c.what;
        EXPECT_EQ(h.voiceSize == kAreaAbsent, !c.voice) << c.what;
        EXPECT_EQ(h.mapSize == kAreaAbsent, !c.map) << c.what;
        EXPECT_GE(h.mainAddress, 0x40010000u) << c.what;
        EXPECT_LT(h.mainAddress, h.voiceAddress) << c.what;
        EXPECT_LT(h.voiceAddress, h.mapAddress) << c.what;
        EXPECT_LT(h.mapAddress, 0x40800000u) << c.what;
    }
}

TEST(PackageWriter, HooksMakeBadPackages)
{
    PackageSpec contents = SamplePackageSpec();
    contents.magic = "OTHER";
    contents.editHeader = [](PackageHeader& h) { h.voiceCheck ^= 1; };
    contents.editPayload = [](std::vector<uint8_t>& p) { p.resize(100); };
    std::vector<uint8_t> payload = BuildPackagePayload(contents);
    ASSERT_EQ(payload.size(), 100u);

    PackageSpec good = SamplePackageSpec();
    std::vector<uint8_t> goodPayload = BuildPackagePayload(good);
    PackageHeader bad = ParsePackageHeader(payload.data(), payload.size());
    PackageHeader ok = ParsePackageHeader(goodPayload.data(), goodPayload.size());
    EXPECT_EQ(std::string(bad.magic, 8), std::string("OTHER\0\0\0", 8));
    EXPECT_EQ(bad.voiceCheck, ok.voiceCheck ^ 1);
    EXPECT_EQ(bad.mainCheck, ok.mainCheck);
}

TEST(PackageWriter, WritesTheFileOrSaysWhyNot)
{
    PackageTempDir dir;
    std::string error;
    EXPECT_TRUE(WritePackageFile(dir.File("p.dat"), SamplePackageSpec(), &error));
    EXPECT_FALSE(WritePackageFile(dir.File("missing/p.dat"), SamplePackageSpec(), &error));
    EXPECT_NE(error.find("missing/p.dat"), std::string::npos);
}

} // namespace
