#include <gtest/gtest.h>

#include <cstring>

#include "texts/UserTexts.h"
#include "engine/PageWriter.h"
#include "engine/ProgressState.h"
#include "hid/DeviceIdentity.h"
#include "hid/Protocol.h"
#include "support/EngineHarness.h"

namespace {

TEST(ProgressPercent, FollowsTheCountAndNeverDividesByZero)
{
    ProgressState progress;
    struct Case {
        const char* shows;
        uint8_t base;
        uint32_t count, total;
        int expected;
    };
    const Case cases[] = {
        {"nothing to count is done", 30, 0, 0, 100},
        {"start of programming", 10, 0, 50, 10},
        {"truncates", 10, 1, 3, 40},
        {"count at the total", 10, 50, 50, 100},
        {"largest total", 10, 4031488, 4031488, 100},
    };
    for (const Case& c : cases) {
        progress.m_basePercent = c.base;
        progress.m_progressCount = c.count;
        progress.m_progressTotal = c.total;
        EXPECT_EQ(ProgressPercent(progress), c.expected) << c.shows;
    }
}

class PageWriterTest : public ::testing::Test {
protected:
    explicit PageWriterTest(const char* simulate = "devices=1") : harness(simulate) { harness.devices.m_deviceCount = 1; }
    EngineHarness harness;
};

TEST_F(PageWriterTest, OnePageAtTheEndShowsOneHundredPercentAndNoTimeLeft)
{
    harness.job.progress.m_basePercent = 10;
    harness.job.progress.m_progressTotal = harness.job.progress.m_progressCount = 40;
    harness.job.progress.m_nRemainMs = 300;
    const std::vector<uint8_t> block = PatternBytes(256, 1);
    EXPECT_EQ(WritePagesWithProgress(harness.devices, harness.job.progress, harness.page, block.data(), 160, 1), 256);
    EXPECT_EQ(harness.page.Percents(), std::vector<int>{100});
    EXPECT_EQ(harness.page.StatusTexts(), std::vector<std::string>{"全国版数据：100%完成，预估剩余0秒..."});
    EXPECT_EQ(harness.job.progress.m_nRemainMs, 0u);
    EXPECT_EQ(FlashBytes(harness.Firmware(0), 0x4000A000u, 256), block);
}

TEST_F(PageWriterTest, StepsEveryKilobyteAndEstimatesEverySixteen)
{
    harness.job.progress.m_basePercent = 20;
    harness.job.progress.m_progressTotal = 64;  // 64 KiB to one device
    harness.job.progress.m_nRemainMs = 62000;
    const std::vector<uint8_t> data = PatternBytes(64 * 1024, 2);
    EXPECT_EQ(WritePagesWithProgress(harness.devices, harness.job.progress, harness.page, data.data(), 256, 256), 64 * 1024);

    const std::vector<int> percents = harness.page.Percents();
    ASSERT_EQ(percents.size(), 64u);
    EXPECT_EQ(percents[0], 20);
    EXPECT_EQ(percents[1], 21);   // 20 + 80 * 1 / 64
    EXPECT_EQ(percents[63], 98);  // trails the data by one step
    EXPECT_EQ(harness.job.progress.m_progressCount, 64u);
    const std::vector<std::string> expected = {
        "全国版数据：20%完成，预估剩余1分1秒...",  // 62000 - 512
        "全国版数据：40%完成，预估剩余1分...",     // 60976
        "全国版数据：60%完成，预估剩余1分...",     // 60464
        "全国版数据：80%完成，预估剩余59秒...",    // 59952
    };
    EXPECT_EQ(harness.page.StatusTexts(), expected);
    EXPECT_EQ(FlashBytes(harness.Firmware(0), 0x40010000u, data.size()), data);
}

TEST_F(PageWriterTest, ZeroPagesSendsTheCommandAndFails)
{
    const uint8_t none = 0;
    EXPECT_EQ(WritePagesWithProgress(harness.devices, harness.job.progress, harness.page, &none, 300, 0), 0);
    EXPECT_EQ(harness.Firmware(0).WriteCommandCount(), 1);
    EXPECT_TRUE(harness.page.Percents().empty());
}

class TwoDevicePageWriterTest : public PageWriterTest {
protected:
    TwoDevicePageWriterTest() : PageWriterTest("devices=2") { harness.devices.m_deviceCount = 2; }
};

TEST_F(TwoDevicePageWriterTest, CountKeepsRisingThroughTheSecondDevice)
{
    harness.job.progress.m_basePercent = 10;
    harness.job.progress.m_progressTotal = 8;  // 4 KiB to each of two devices
    const std::vector<uint8_t> data = PatternBytes(4096, 3);
    EXPECT_EQ(WritePagesWithProgress(harness.devices, harness.job.progress, harness.page, data.data(), 256, 16), 4096);
    EXPECT_EQ(harness.page.Percents(), (std::vector<int>{10, 21, 32, 43, 55, 66, 77, 88}));
    EXPECT_EQ(harness.page.StatusTexts().size(), 2u) << "one status step per device run";
    for (int device = 0; device < 2; ++device)
        EXPECT_EQ(FlashBytes(harness.Firmware(device), 0x40010000u, 4096), data);
}

TEST(PageWriter, NoDeviceReturnsZeroWithoutPosting)
{
    EngineHarness harness("devices=0");
    const std::vector<uint8_t> data(256, 1);
    EXPECT_EQ(WritePagesWithProgress(harness.devices, harness.job.progress, harness.page, data.data(), 160, 1), 0);
    EXPECT_TRUE(harness.page.Percents().empty());
    EXPECT_TRUE(harness.page.StatusTexts().empty());
}

TEST(PageWriter, FewerDevicesThanCountedFailsInsteadOfServingSome)
{
    EngineHarness harness("devices=1");
    harness.devices.m_deviceCount = 2;
    const std::vector<uint8_t> data(256, 1);
    EXPECT_EQ(WritePagesWithProgress(harness.devices, harness.job.progress, harness.page, data.data(), 160, 1), 0);
    EXPECT_EQ(harness.Firmware(0).WriteCommandCount(), 0);
}

// A device that accepts only part of each report: the writer goes on from
// where the device stopped, never reads past the caller's pages, and a report
// that carried nothing at all ends the write instead of looping forever.
class PartialWriteBackend final : public HidBackend {
public:
    explicit PartialWriteBackend(int accepted) : m_accepted(accepted) {}
    std::vector<HidDeviceInfo> Enumerate() override
    {
        return {HidDeviceInfo{"partial", kDeviceVendorId, kDeviceProductId, 0x5512, "partial", ""}};
    }
    std::unique_ptr<HidDeviceHandle> Open(const std::string&) override { return std::make_unique<Handle>(*this); }
    std::vector<uint8_t> received;  // data payload bytes the device took
    int reports = 0;

private:
    class Handle final : public HidDeviceHandle {
    public:
        explicit Handle(PartialWriteBackend& owner) : m_owner(owner) {}
        int Write(const uint8_t* report, size_t, uint32_t) override
        {
            if (++m_owner.reports == 1)
                return static_cast<int>(kReportSize);  // the command
            if (m_owner.reports > 10000)
                return -1;  // a runaway loop ends here
            const int taken = m_owner.m_accepted;
            if (taken > 1)
                m_owner.received.insert(m_owner.received.end(), report + 1, report + taken);
            return taken;
        }
        int Read(uint8_t*, size_t, uint32_t) override { return -1; }

    private:
        PartialWriteBackend& m_owner;
    };
    int m_accepted;
};

TEST(PageWriter, PartialAndEmptyTransfers)
{
    struct Case {
        const char* shows;
        int accepted;  // bytes the device takes per data report, report ID included
        int result;
    };
    const Case cases[] = {
        {"half a payload per report", 33, 512},
        {"only the report ID: nothing moves, the write fails", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shows);
        PartialWriteBackend backend(c.accepted);
        VirtualClock clock;
        CapturingDiagnostics diagnostics;
        DeviceSet devices(backend, clock, diagnostics);
        ProgressState progress;
        RecordingPage page;
        // Exactly two pages, so that a read past them is caught by the sanitizers.
        auto data = std::make_unique<uint8_t[]>(512);
        const std::vector<uint8_t> pattern = PatternBytes(512, 4);
        std::memcpy(data.get(), pattern.data(), 512);
        EXPECT_EQ(WritePagesWithProgress(devices, progress, page, data.get(), 400, 2), c.result);
        if (c.result) {
            EXPECT_EQ(backend.received, pattern);
        }
        EXPECT_LT(backend.reports, 100);
    }
}

}  // namespace
