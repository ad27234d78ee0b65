#include <gtest/gtest.h>

#include <cstring>

#include "texts/UserTexts.h"
#include "engine/UpdateRun.h"
#include "hid/Protocol.h"
#include "package/MapImage.h"
#include "package/Package.h"
#include "support/EngineHarness.h"

namespace {

constexpr uint32_t kCheckCodeAddress = 0x40000000u + 160 * 256;
constexpr uint32_t kDescriptorAddress = 0x40000000u + 128 * 256;

std::vector<uint32_t> BlockWords(const SimFirmware& firmware, uint32_t address)
{
    std::vector<uint32_t> words(64);
    for (uint32_t i = 0; i < 64; ++i)
        words[i] = FlashWord(firmware, address + 4 * i);
    return words;
}

size_t WholePagesFor(size_t length)
{
    return (length + 255) / 256 * 256;
}

// Every page an area's bytes touch, as flash holds them. The area's own bytes
// come first; the rest of its last page must be erased-flash bytes (the
// packages used here pad their areas with 0xFF).
std::vector<uint8_t> AreaPages(const SimFirmware& fw, uint32_t address, size_t length, const char* what)
{
    std::vector<uint8_t> pages = FlashBytes(fw, address, WholePagesFor(length));
    EXPECT_EQ(std::vector<uint8_t>(pages.begin() + length, pages.end()), std::vector<uint8_t>(pages.size() - length, 0xFF))
        << what << ": the last page past the area";
    return pages;
}

// Reads back what an update left in a device's flash and checks it against
// the package it was given: every byte of every area, the map unscrambled
// with the key of its random block, the area table, and both control blocks
// unmasked and matched against the lengths and sums of what flash holds.
void ExpectFlashHolds(const SimFirmware& fw, const PackageSpec& contents)
{
    EXPECT_TRUE(fw.Faults().empty()) << fw.Faults().front();
    EXPECT_EQ(fw.EndCount(), 1);

    const std::vector<uint8_t>& main = contents.main->data;
    const std::vector<uint8_t> mainPages = AreaPages(fw, contents.main->address, main.size(), "main program");
    EXPECT_EQ(std::vector<uint8_t>(mainPages.begin(), mainPages.begin() + main.size()), main) << "main program";
    uint32_t mainWordSum = 0;
    for (size_t i = 0; i + 4 <= main.size(); i += 4)
        mainWordSum += LoadLe32(mainPages.data() + i);

    const uint16_t mainSector = static_cast<uint16_t>((contents.main->address - 0x40000000u) / 4096);
    uint16_t voiceSector = 0xFFFF, mapSector = 0xFFFF;
    uint32_t voiceLength = 0xFFFFFFFF, voiceSum = 0xFFFFFFFF, mapLength = 0xFFFFFFFF, mapSum = 0xFFFFFFFF;
    if (contents.voice) {
        const std::vector<uint8_t>& voice = contents.voice->data;
        const std::vector<uint8_t> pages = AreaPages(fw, contents.voice->address, voice.size(), "voice data");
        EXPECT_EQ(std::vector<uint8_t>(pages.begin(), pages.begin() + voice.size()), voice) << "voice data";
        voiceSector = static_cast<uint16_t>((contents.voice->address - 0x40000000u) / 4096);
        voiceLength = static_cast<uint32_t>(voice.size());
        voiceSum = ChunkSums(pages);
    }
    if (contents.map) {
        // The map goes out as the random block followed by its data.
        const size_t mapSize = contents.map->data.size();
        const std::vector<uint8_t> pages = AreaPages(fw, contents.map->address, 256 + mapSize, "map image");
        MapRandomBlock random;
        std::memcpy(random.data(), pages.data(), 256);
        EXPECT_NE(std::vector<uint8_t>(random.begin(), random.end()), std::vector<uint8_t>(256, 0xFF));
        const MapKey key = DeriveMapKey(random);
        std::vector<uint8_t> scrambled = contents.map->data;
        for (size_t j = 0; j < std::min<size_t>(contents.mapScrambleLength, mapSize); ++j)
            scrambled[j] ^= key[j % 16];
        EXPECT_EQ(std::vector<uint8_t>(pages.begin() + 256, pages.begin() + 256 + mapSize), scrambled)
            << "map data scrambled with the key of its random block";
        mapSector = static_cast<uint16_t>((contents.map->address - 0x40000000u) / 4096);
        mapLength = static_cast<uint32_t>(256 + mapSize);
        mapSum = ChunkSums(pages);
    }

    ASSERT_TRUE(fw.HasAreaTable());
    const auto& table = fw.AreaTable();
    EXPECT_EQ(table[0] | table[1] << 8, mainSector);
    EXPECT_EQ(table[2] | table[3] << 8, voiceSector);
    EXPECT_EQ(table[4] | table[5] << 8, mapSector);

    const std::vector<uint32_t> c = BlockWords(fw, kCheckCodeAddress);
    EXPECT_EQ(c[0] ^ c[7], voiceLength);
    EXPECT_EQ(c[1] ^ c[6], voiceSum);
    EXPECT_EQ(c[2] ^ c[6], mapLength);
    EXPECT_EQ(c[3] ^ c[7], mapSum);

    const std::vector<uint32_t> d = BlockWords(fw, kDescriptorAddress);
    EXPECT_EQ(d[0], 0x86017618u);
    EXPECT_EQ(d[3], 0x40010000u);
    EXPECT_EQ(d[5], main.size());
    EXPECT_EQ(d[7] + mainWordSum, 0u);
}

// Header addresses as the package carried them (the engine releases the
// package buffers at the end, the header stays).
void ExpectDescriptorAddresses(const SimFirmware& fw, uint32_t voiceAddress, uint32_t mapAddress)
{
    const std::vector<uint32_t> d = BlockWords(fw, kDescriptorAddress);
    EXPECT_EQ(d[8] ^ d[10] ^ d[11] ^ d[14], voiceAddress);
    EXPECT_EQ(d[9] ^ d[10] ^ d[12] ^ d[13] ^ d[15], mapAddress);
}

TEST(UpdateRun, ThreeAreasOnTwoDevices)
{
    EngineHarness harness("devices=2");
    const PackageSpec contents = ThreeAreaSpec();
    ASSERT_TRUE(harness.Install(contents));
    const PackageHeader header = harness.Package().header;
    RunWorker(harness);

    EXPECT_TRUE(harness.Messages().empty());
    EXPECT_EQ(harness.page.LastStatus().rfind("升级成功，可以断开连接，耗时", 0), 0u) << harness.page.LastStatus();
    EXPECT_EQ(harness.job.progress.m_outcome.load(), UpdateOutcome::Success);
    const std::vector<int> percents = harness.page.Percents();
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.front(), 10);
    EXPECT_TRUE(NeverDecreases(percents));
    EXPECT_EQ(percents.back(), 100);
    const std::vector<std::string> expectedAreas = {"Device:2,Area:1 ", "Device:2,Area:2 ", "Device:2,Area:3 "};
    EXPECT_EQ(harness.page.AreaTexts(), expectedAreas);
    const std::vector<UpdatePhase> steps = {UpdatePhase::Reset,     UpdatePhase::Waiting,   UpdatePhase::AreaTable,
                                            UpdatePhase::AreaMap,   UpdatePhase::AreaVoice, UpdatePhase::AreaMain,
                                            UpdatePhase::CheckCode, UpdatePhase::Descriptor, UpdatePhase::End};
    EXPECT_EQ(harness.page.Phases(), steps);
    EXPECT_EQ(harness.job.package, nullptr);
    for (int device = 0; device < 2; ++device) {
        SCOPED_TRACE(device);
        ExpectFlashHolds(harness.Firmware(device), contents);
        ExpectDescriptorAddresses(harness.Firmware(device), header.voiceAddress, header.mapAddress);
    }
}

TEST(UpdateRun, MainProgramOnly)
{
    EngineHarness harness("devices=1");
    const PackageSpec contents = MainOnlySpec();
    ASSERT_TRUE(harness.Install(contents));
    const PackageHeader header = harness.Package().header;
    RunWorker(harness);

    EXPECT_TRUE(harness.Messages().empty());
    // Reset wait: 1 s, an attempt that misses the re-attach, one that finds
    // it, 1 s; the instant device takes no time.
    EXPECT_EQ(harness.page.LastStatus(), "升级成功，可以断开连接，耗时4秒");
    const std::vector<int> percents = harness.page.Percents();
    EXPECT_EQ(percents.front(), 30);
    EXPECT_TRUE(NeverDecreases(percents));
    EXPECT_EQ(percents.back(), 100);
    EXPECT_EQ(harness.page.AreaTexts(), std::vector<std::string>{"Device:1,Area:3 "});
    const std::vector<UpdatePhase> steps = {UpdatePhase::Reset,     UpdatePhase::Waiting,    UpdatePhase::AreaTable,
                                            UpdatePhase::AreaMain,  UpdatePhase::CheckCode,  UpdatePhase::Descriptor,
                                            UpdatePhase::End};
    EXPECT_EQ(harness.page.Phases(), steps) << "absent areas are no steps";
    ExpectFlashHolds(harness.Firmware(0), contents);
    ExpectDescriptorAddresses(harness.Firmware(0), header.voiceAddress, header.mapAddress);
    const std::vector<uint32_t> c = BlockWords(harness.Firmware(0), kCheckCodeAddress);
    EXPECT_EQ(c[0], ~c[7]) << "absent voice: complement of its mask";
    EXPECT_EQ(c[2], ~c[6]) << "absent map: complement of its mask";
}

// Less than a kilobyte of data and no map: nothing to count, so the bar
// stands at 100 instead of dividing by zero.
TEST(UpdateRun, PackageTooSmallToCountShowsAFullBar)
{
    EngineHarness harness("devices=1");
    PackageSpec contents = MainOnlySpec();
    contents.main->data = PatternBytes(512, 13);
    ASSERT_TRUE(harness.Install(contents));
    RunWorker(harness);
    EXPECT_TRUE(harness.Messages().empty());
    const std::vector<int> percents = harness.page.Percents();
    ASSERT_FALSE(percents.empty());
    for (int percent : percents)
        EXPECT_EQ(percent, 100);
    ExpectFlashHolds(harness.Firmware(0), contents);
}

TEST(UpdateRun, DeviceSpecificPackageUsesTheShiftedCodes)
{
    EngineHarness harness("devices=1;release=0123");
    harness.devices.SelectCommandSet(1);
    const PackageSpec contents = ThreeAreaSpec();
    ASSERT_TRUE(harness.Install(contents));
    RunWorker(harness);
    EXPECT_TRUE(harness.Messages().empty());
    EXPECT_EQ(harness.Firmware(0).CodeOffset(), 0x40);
    EXPECT_EQ(harness.Firmware(0).IgnoredReports(), 0u);
    ExpectFlashHolds(harness.Firmware(0), contents);
}

// An area that does not start on a sector boundary reaches into one more
// sector than its length fills; that sector must be erased too, or its last
// pages land on the old contents.
TEST(UpdateRun, UnalignedAreaIsWrittenOnlyIntoErasedFlash)
{
    EngineHarness harness("devices=1");
    PackageSpec contents = MainOnlySpec();
    contents.main->address = 0x40010800u;
    contents.main->data = PatternBytes(0x2000, 11);
    const std::vector<uint8_t> oldContents(0x4000, 0x00);
    harness.Firmware(0).PokeFlash(0x10000, oldContents.data(), oldContents.size());
    ASSERT_TRUE(harness.Install(contents));
    RunWorker(harness);
    EXPECT_TRUE(harness.Messages().empty());
    EXPECT_TRUE(harness.Firmware(0).Faults().empty()) << harness.Firmware(0).Faults().front();
    EXPECT_EQ(FlashBytes(harness.Firmware(0), 0x40010800u, 0x2000), contents.main->data);
}

// Areas whose sizes are not whole pages, one of them shorter than a page:
// every page their bytes touch is written, the last one completed with
// erased-flash bytes, and the control blocks carry the lengths and sums of
// what flash then holds.
TEST(UpdateRun, AreasOfPartialPagesAreWrittenWhole)
{
    struct Case {
        const char* shows;
        size_t main, voice, map;
    };
    const Case cases[] = {
        {"main 4400 bytes, voice shorter than a page, map with a partial page", 4400, 100, 0x1F40},
        {"main shorter than a page, voice and map with partial pages", 200, 0x7F1, 0x133},
        {"map data shorter than a page", 0x1000, 0x800, 0x10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shows);
        EngineHarness harness("devices=2");
        PackageSpec contents = ThreeAreaSpec();
        contents.main->data = PatternBytes(c.main, 21);
        contents.voice->data = PatternBytes(c.voice, 22);
        contents.map->data = PatternBytes(c.map, 23);
        contents.mapScrambleLength = 0x100;
        ASSERT_TRUE(harness.Install(contents));
        RunWorker(harness);
        EXPECT_TRUE(harness.Messages().empty()) << harness.Messages().front();
        EXPECT_EQ(harness.page.LastStatus().rfind("升级成功", 0), 0u) << harness.page.LastStatus();
        for (int device = 0; device < 2; ++device) {
            SCOPED_TRACE(device);
            ExpectFlashHolds(harness.Firmware(device), contents);
        }
    }
}

// The map image's last page is sent whole; what the buffer holds behind that
// page is neither sent nor counted.
TEST(UpdateRun, MapImageBehindItsLastPageIsNeverRead)
{
    EngineHarness harness("devices=1");
    PackageSpec contents = ThreeAreaSpec();
    contents.map->data = PatternBytes(0x1F40, 12);
    ASSERT_TRUE(harness.Install(contents));
    const uint32_t lastPageEnd = (256 + 0x1F40 + 255) / 256 * 256;
    std::memset(harness.Package().mapImage.get() + lastPageEnd, 0xA5, harness.Package().mapImageCapacity - lastPageEnd);
    RunWorker(harness);
    EXPECT_TRUE(harness.Messages().empty());
    ExpectFlashHolds(harness.Firmware(0), contents);
}

TEST(UpdateRun, DevicesBackOnlyAtTheLastAttemptStillGoOn)
{
    struct Case {
        const char* shows;
        const char* simulate;
        bool succeeds;
    };
    const Case cases[] = {
        {"back before the 15th attempt", "reattach=14500", true},
        {"back after the 15th attempt", "reattach=15500", false},
        {"one of two never back", "devices=2;noreattach=1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shows);
        EngineHarness harness(c.simulate);
        ASSERT_TRUE(harness.Install(MainOnlySpec()));
        RunWorker(harness);
        if (c.succeeds) {
            EXPECT_TRUE(harness.Messages().empty());
            EXPECT_EQ(harness.page.LastStatus(), "升级成功，可以断开连接，耗时17秒");
        } else {
            EXPECT_EQ(harness.Messages(), std::vector<std::string>{kMsgDevicesNotBack});
            EXPECT_EQ(harness.page.LastStatus().rfind(kUpdateFailedText, 0), 0u);
        }
    }
}

}  // namespace
