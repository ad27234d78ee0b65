#include <gtest/gtest.h>

#include "engine/AreaProgramming.h"
#include "engine/ProgressState.h"
#include "package/AreaLayout.h"
#include "support/EngineHarness.h"

namespace {

int Program(EngineHarness& harness)
{
    EXPECT_EQ(harness.devices.IsDevicePresent(), 1);
    uint32_t lengths[3] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    uint32_t sums[3] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    return ProgramAreas(harness.devices, harness.Package(), harness.job.progress, harness.page, lengths, sums);
}

TEST(AreaProgramming, EstimateStartsFromThePayloadAndDropsWithEachErase)
{
    // 40 KiB of main program on three devices: N = 120 steps, so the
    // estimate starts at (120 + 125) * 32 + 30 * 34 = 8860 ms; erasing ten
    // sectors on three devices takes 1020 ms off, the first status step 512.
    EngineHarness harness("devices=3");
    PackageSpec contents = MainOnlySpec();
    contents.main->data = PatternBytes(0xA000, 5);
    ASSERT_TRUE(harness.Install(contents));
    ASSERT_EQ(Program(harness), 0);
    const std::vector<std::string> status = harness.page.StatusTexts();
    ASSERT_GE(status.size(), 2u);
    EXPECT_EQ(status[0], "全国版数据：正在擦除，预估剩余8秒...");
    EXPECT_EQ(status[1], "全国版数据：30%完成，预估剩余7秒...");
    EXPECT_EQ(harness.job.progress.m_progressTotal, 120u);
    EXPECT_EQ(harness.job.progress.m_progressCount, 120u);
    EXPECT_EQ(harness.job.progress.m_basePercent, 30);
    EXPECT_EQ(harness.page.AreaTexts(), std::vector<std::string>{"Device:3,Area:3 "});
}

TEST(AreaProgramming, BaseAndTotalDependOnTheAreasPresent)
{
    struct Case {
        const char* shows;
        bool voice, map;
        uint8_t base;
    };
    const Case cases[] = {
        {"main and voice", true, false, 20},
        {"main and map", false, true, 20},
        {"all three", true, true, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shows);
        EngineHarness harness("devices=2");
        PackageSpec contents = ThreeAreaSpec();
        if (!c.voice)
            contents.voice.reset();
        if (!c.map)
            contents.map.reset();
        ASSERT_TRUE(harness.Install(contents));
        const uint32_t dataBytes = harness.Package().length - 128;
        ASSERT_EQ(Program(harness), 0);
        EXPECT_EQ(harness.job.progress.m_basePercent, c.base);
        // The map image is 256 bytes longer than the map it carries.
        EXPECT_EQ(harness.job.progress.m_progressTotal, (dataBytes + (c.map ? 256 : 0)) / 1024 * 2);
        EXPECT_EQ(harness.page.Percents().front(), c.base);
    }
}

TEST(AreaLayout, SectorsCoverEveryByteTheAreaTouches)
{
    struct Case {
        const char* shows;
        uint32_t address, size;
        uint32_t firstSector, sectors, firstPage, pages;
    };
    const Case cases[] = {
        {"aligned, whole sectors", 0x40010000, 0x2000, 16, 2, 256, 32},
        {"aligned, partial last sector", 0x40010000, 0x1100, 16, 2, 256, 17},
        {"partial last page is written", 0x40010000, 0x1130, 16, 2, 256, 18},
        {"shorter than a page: one page", 0x40010000, 0x30, 16, 1, 256, 1},
        {"partial page at the window end", 0x407FE000, 0x1FF1, 2046, 2, 32736, 32},
        {"starting mid-sector", 0x40010800, 0x2000, 16, 3, 264, 32},
        {"ending at the window end", 0x407FE000, 0x2000, 2046, 2, 32736, 32},
    };
    for (const Case& c : cases) {
        PackageHeader h;
        h.mainAddress = c.address;
        h.mainSize = c.size;
        h.voiceSize = h.mapSize = 0xFFFFFFFF;
        const AreaLayout main = LayoutOf(h).main;
        EXPECT_EQ(main.firstSector, c.firstSector) << c.shows;
        EXPECT_EQ(main.sectorCount, c.sectors) << c.shows;
        EXPECT_EQ(main.firstPage, c.firstPage) << c.shows;
        EXPECT_EQ(main.pageCount, c.pages) << c.shows;
    }
    PackageHeader h;
    h.mainSize = h.voiceSize = 0xFFFFFFFF;
    h.mapAddress = 0x40200000;
    h.mapSize = 0x1F00;
    const AreaLayout map = LayoutOf(h).map;
    EXPECT_EQ(map.sectorCount, 2u) << "0x1F00 + 256 bytes fill two sectors";
    EXPECT_EQ(map.pageCount, 32u);

    // The random block and the map data, the last page completed.
    h.mapSize = 0x1F01;
    EXPECT_EQ(LayoutOf(h).map.pageCount, 33u);
    h.mapSize = 0;
    EXPECT_EQ(LayoutOf(h).map.pageCount, 1u);
}

}  // namespace
