// The command operations against a scripted backend: the exact reports sent,
// the bounds of every read, and where each operation stops.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hid/DeviceIdentity.h"
#include "hid/DeviceSet.h"
#include "hid/Protocol.h"
#include "platform/Clock.h"
#include "platform/Diagnostics.h"
#include "platform/FlashGeometry.h"
#include "support/FakeHidBackend.h"

namespace {

using Report = FakeHidBackend::Report;

class OperationsTest : public ::testing::Test {
protected:

    // The command packet of a written report, checked for integrity.
    static CommandPacket Command(const Report& report)
    {
        CommandPacket packet;
        EXPECT_EQ(report.size(), kReportSize);
        EXPECT_TRUE(ParseCommandReport(report.data(), &packet));
        return packet;
    }

    static void ExpectCommand(const Report& report, uint8_t code, uint32_t arg1, uint32_t arg2)
    {
        CommandPacket packet = Command(report);
        EXPECT_EQ(packet.code, code);
        EXPECT_EQ(packet.arg1, arg1);
        EXPECT_EQ(packet.arg2, arg2);
    }

    void QueuePage(const std::string& path)
    {
        for (int i = 0; i < 4; ++i)
            backend.QueueRead(path, FakeHidBackend::Payload(kReportPayloadSize, 0x5A));
    }

    FakeHidBackend backend;
    VirtualClock clock;
    CapturingDiagnostics diagnostics;
    DeviceSet devices{backend, clock, diagnostics};
};

TEST_F(OperationsTest, NoDeviceResults)
{
    struct Case {
        const char* name;
        std::function<int()> run;
        int result;
        const char* printed;
    };
    static const uint8_t page[kPageSize] = {};
    int verdict = -1;
    const Case cases[] = {
        {"WritePages", [this] { return devices.WritePages(page, 0, 1); }, 0,
         "Can't Open HID Device\nERROR: write of page 0: no device attached\n"},
        {"EraseSectors", [this] { return devices.EraseSectors(8, 1); }, 0, "ERROR: erase of sector 8: no device attached\n"},
        {"WriteAreaInfo", [this] { return devices.WriteAreaInfo(0x10, 0xFFFF, 0x100); }, 0, ""},
        {"SendReset", [this] { return devices.SendReset(); }, 0, ""},
        {"SendEnd", [this] { return devices.SendEnd(); }, 0, ""},
        {"CheckBootloaderVersion", [this, &verdict] { return devices.CheckBootloaderVersion(&verdict); }, 0,
         "Can't Open HID Device\nERROR: boot-loader version query: no device attached\n"},
    };
    backend.AddDevice("other", 0x1234, 0x5678, 0);  // a keyboard is not our device
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        diagnostics.Clear();
        EXPECT_EQ(c.run(), c.result);
        EXPECT_EQ(diagnostics.Text(), c.printed);
    }
    EXPECT_EQ(verdict, 0);
    EXPECT_TRUE(backend.Written("other").empty());
}

TEST_F(OperationsTest, AreaTableWithoutVoice)
{
    std::string path = backend.AddMatchingDevice("dev0");
    EXPECT_EQ(devices.WriteAreaInfo(0x0010, 0xFFFF, 0x0100), 0);

    std::vector<Report> written = backend.Written(path);
    ASSERT_EQ(written.size(), 5u);
    ExpectCommand(written[0], HID_CMD_AREA_INFO, 128, 1);
    std::vector<uint8_t> table;
    for (size_t i = 1; i < written.size(); ++i) {
        ASSERT_EQ(written[i].size(), kReportSize);
        EXPECT_EQ(written[i][0], 0);
        table.insert(table.end(), written[i].begin() + 1, written[i].end());
    }
    std::vector<uint8_t> expected(kAreaTableSize, 0xFF);
    const uint8_t head[] = {0x10, 0x00, 0xFF, 0xFF, 0x00, 0x01};
    std::copy(std::begin(head), std::end(head), expected.begin());
    EXPECT_EQ(table, expected);
}

TEST_F(OperationsTest, EraseWaitsForTheHandshakePageWithAnEraseLongBound)
{
    std::string path = backend.AddMatchingDevice("dev0");
    QueuePage(path);
    EXPECT_EQ(devices.EraseSectors(8, 1), 1);

    std::vector<Report> written = backend.Written(path);
    ASSERT_EQ(written.size(), 2u);
    ExpectCommand(written[0], HID_CMD_ERASE, 8, 1);
    ExpectCommand(written[1], HID_CMD_READ, 128, 1);
    // The first read waits for the erase itself; the rest are plain reads.
    EXPECT_EQ(backend.ReadTimeouts(path), (std::vector<uint32_t>{5500, 5000, 5000, 5000}));
}

TEST_F(OperationsTest, EraseUsesTheShiftedCodes)
{
    std::string path = backend.AddMatchingDevice("dev0", 0x1234);
    QueuePage(path);
    devices.SelectCommandSet(1);
    EXPECT_EQ(devices.EraseSectors(16, 32), 32);
    std::vector<Report> written = backend.Written(path);
    ASSERT_EQ(written.size(), 2u);
    ExpectCommand(written[0], 0xE1, 16, 32);
    ExpectCommand(written[1], 0xE2, 128, 1);
    EXPECT_EQ(backend.ReadTimeouts(path).front(), 5000u + 32u * 500u);
}

TEST_F(OperationsTest, EraseFailsWhenTheHandshakeNeverComes)
{
    std::string first = backend.AddMatchingDevice("dev0");
    std::string second = backend.AddMatchingDevice("dev1");
    QueuePage(second);
    backend.QueueRead(first, FakeHidBackend::Payload(kReportPayloadSize, 0));
    // Only a quarter of the page arrives: the next read times out.
    EXPECT_EQ(devices.EraseSectors(0, 2), 0);
    EXPECT_TRUE(backend.Written(second).empty());
}

TEST_F(OperationsTest, OperationsStopAtTheFirstFailingDevice)
{
    struct Case {
        const char* name;
        std::function<int(DeviceSet&)> run;
        int failure;
        const char* printed;
    };
    static uint8_t pages[2 * kPageSize] = {};
    const Case cases[] = {
        {"WritePages", [](DeviceSet& set) { return set.WritePages(pages, 0, 2); }, 0,
         "USB HID Device VID[0416] PID[b500] Open Success.\n>>> Write pages: 0 - 1\n"
         "USB HID Device VID[0416] PID[b500] Open Success.\n>>> Write pages: 0 - 1\n"
         "ERROR: Send write command error!\n"
         "ERROR: write of pages 0-1 on device 1 (dev1): sending the write command failed\n"},
        {"WriteAreaInfo", [](DeviceSet& set) { return set.WriteAreaInfo(0x10, 0x20, 0x30); }, 1,
         "ERROR: area table on device 1 (dev1): sending the area-table command failed\n"},
        {"SendReset", [](DeviceSet& set) { return set.SendReset(); }, 1,
         "ERROR: reset on device 1 (dev1): sending the reset command failed\n"},
        {"SendEnd", [](DeviceSet& set) { return set.SendEnd(); }, 1,
         "ERROR: end of the update on device 1 (dev1): sending the end command failed\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHidBackend fresh;
        DeviceSet onFresh(fresh, clock, diagnostics);
        std::string first = fresh.AddMatchingDevice("dev0");
        std::string second = fresh.AddMatchingDevice("dev1");
        std::string third = fresh.AddMatchingDevice("dev2");
        onFresh.IsDevicePresent();
        fresh.SetWriteFails(second, true);
        diagnostics.Clear();
        EXPECT_EQ(c.run(onFresh), c.failure);
        EXPECT_FALSE(fresh.Written(first).empty());
        EXPECT_TRUE(fresh.Written(third).empty());
        EXPECT_EQ(diagnostics.Text(), c.printed);
        EXPECT_EQ(fresh.OpenHandles(), 0);
    }
}

// A device that left since the run counted them, or one that came, would be
// skipped by the operation, which would then report success.
TEST_F(OperationsTest, OperationsRefuseDevicesOtherThanTheCountedOnes)
{
    struct Case {
        const char* name;
        std::function<int(DeviceSet&)> run;
        int failure;
        const char* operation;
    };
    static uint8_t pages[kPageSize] = {};
    int verdict = -1;
    const Case cases[] = {
        {"WritePages", [](DeviceSet& set) { return set.WritePages(pages, 0, 1); }, 0, "write of page 0"},
        {"EraseSectors", [](DeviceSet& set) { return set.EraseSectors(0, 1); }, 0, "erase of sector 0"},
        {"WriteAreaInfo", [](DeviceSet& set) { return set.WriteAreaInfo(0x10, 0x20, 0x30); }, 1, "area table"},
        {"SendReset", [](DeviceSet& set) { return set.SendReset(); }, 1, "reset"},
        {"SendEnd", [](DeviceSet& set) { return set.SendEnd(); }, 1, "end of the update"},
        {"CheckBootloaderVersion", [&](DeviceSet& set) { return set.CheckBootloaderVersion(&verdict); }, 0,
         "boot-loader version query"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            FakeHidBackend fresh;
            DeviceSet onFresh(fresh, clock, diagnostics);
            const std::string stays = fresh.AddMatchingDevice("dev0");
            const std::string leaves = fresh.AddMatchingDevice("dev1");
            onFresh.IsDevicePresent();
            onFresh.RememberDevices();
            fresh.Unplug(leaves);
            diagnostics.Clear();
            EXPECT_EQ(c.run(onFresh), c.failure);
            EXPECT_TRUE(fresh.Written(stays).empty()) << "nothing reaches the device left behind";
            ASSERT_TRUE(onFresh.Failure());
            EXPECT_EQ(onFresh.Failure()->operation, c.operation);
            EXPECT_EQ(onFresh.Failure()->device, 1);
            EXPECT_EQ(onFresh.Failure()->cause, FailureCause::DeviceGone);
        }
        {
            FakeHidBackend fresh;
            DeviceSet onFresh(fresh, clock, diagnostics);
            const std::string counted = fresh.AddMatchingDevice("dev0");
            onFresh.IsDevicePresent();
            const std::string stranger = fresh.AddMatchingDevice("dev1");
            EXPECT_EQ(c.run(onFresh), c.failure);
            EXPECT_TRUE(fresh.Written(counted).empty() && fresh.Written(stranger).empty());
            ASSERT_TRUE(onFresh.Failure());
            EXPECT_EQ(onFresh.Failure()->cause, FailureCause::DevicesChanged);
            EXPECT_EQ(onFresh.Failure()->detail, "2 devices attached, 1 expected");
        }
    }
}

TEST_F(OperationsTest, WritePagesDataFailureAndBadRanges)
{
    std::string path = backend.AddMatchingDevice("dev0");
    static uint8_t pages[2 * kPageSize] = {};
    backend.UnplugAfterWrites(path, 3);  // the command and two data reports
    EXPECT_EQ(devices.WritePages(pages, 4, 2), 0);
    EXPECT_EQ(diagnostics.Text(),
              "USB HID Device VID[0416] PID[b500] Open Success.\n>>> Write pages: 4 - 5\nERROR: Write fail!\n"
              "ERROR: write of pages 4-5 on device 0 (dev0): the device left the bus (unplugged?) at the data for "
              "page 4\n");

    // Pages past the flash window are refused before any device is addressed.
    FakeHidBackend fresh;
    DeviceSet onFresh(fresh, clock, diagnostics);
    std::string other = fresh.AddMatchingDevice("dev0");
    EXPECT_EQ(onFresh.WritePages(pages, 32767, 2), 0);
    EXPECT_EQ(onFresh.WritePages(pages, 0xFFFFFFFFu, 2), 0);
    EXPECT_EQ(onFresh.EraseSectors(2047, 2), 0);
    EXPECT_TRUE(fresh.Written(other).empty());
}

TEST_F(OperationsTest, ResetAndEndCarryTheFixedArguments)
{
    std::string path = backend.AddMatchingDevice("dev0");
    EXPECT_EQ(devices.SendReset(), 0);
    EXPECT_EQ(devices.SendEnd(), 0);
    std::vector<Report> written = backend.Written(path);
    ASSERT_EQ(written.size(), 2u);
    ExpectCommand(written[0], HID_CMD_RESET, 0x12345678, 0xABCDEF01);
    ExpectCommand(written[1], HID_CMD_END, 0x12345678, 0xABCDEF01);
    EXPECT_TRUE(backend.ReadTimeouts(path).empty());  // no answer is read
}

TEST_F(OperationsTest, VersionCheckKeepsTheFirstAnswerWhenTheSecondDeviceFails)
{
    std::string first = backend.AddMatchingDevice("dev0");
    std::string second = backend.AddMatchingDevice("dev1");
    devices.IsDevicePresent();
    FakeHidBackend::Payload answer(kReportPayloadSize, 0);
    const char text[] = "A107";
    std::copy(text, text + 4, answer.begin());
    backend.QueueRead(first, answer);
    // The second device takes the command but never answers.
    int verdict = -1;
    EXPECT_EQ(devices.CheckBootloaderVersion(&verdict), 64);
    EXPECT_EQ(verdict, 2);
    ExpectCommand(backend.Written(second).at(0), HID_CMD_VERSION, 128, 1);
    EXPECT_EQ(backend.ReadTimeouts(second), (std::vector<uint32_t>{5000}));

    std::string printed = diagnostics.Text();
    EXPECT_EQ(printed.rfind("USB HID Device VID[0416] PID[b500] Open Success.\nString code\npReadBuf[0]=A\n", 0), 0u);
    EXPECT_NE(printed.find("pReadBuf[4]=" + std::string(1, '\0') + "\n"), std::string::npos);
    EXPECT_NE(printed.find("Hex code\npReadBuf[0]=0x41\n"), std::string::npos);
    EXPECT_NE(printed.find("pReadBuf[63]=0x0\nERROR: Read Version fail!\n"), std::string::npos);
}

// A device whose every transfer claims success but moves only the report ID.
class EmptyTransferBackend final : public HidBackend {
public:
    std::vector<HidDeviceInfo> Enumerate() override
    {
        return {HidDeviceInfo{"empty", kDeviceVendorId, kDeviceProductId, 0x5512, "empty", ""}};
    }
    std::unique_ptr<HidDeviceHandle> Open(const std::string&) override
    {
        struct Handle final : HidDeviceHandle {
            int Write(const uint8_t*, size_t, uint32_t) override { return 1; }
            int Read(uint8_t*, size_t, uint32_t) override { return 0; }
        };
        return std::make_unique<Handle>();
    }
};

TEST_F(OperationsTest, TransfersWithoutPayloadFailInsteadOfLoopingForever)
{
    EmptyTransferBackend empty;
    DeviceSet onEmpty(empty, clock, diagnostics);
    static uint8_t pages[kPageSize] = {};
    int verdict = -1;
    EXPECT_EQ(onEmpty.WritePages(pages, 0, 1), 0);
    EXPECT_EQ(onEmpty.EraseSectors(0, 1), 0);
    EXPECT_EQ(onEmpty.WriteAreaInfo(1, 2, 3), 1);
    EXPECT_EQ(onEmpty.SendEnd(), 1);
    EXPECT_EQ(onEmpty.CheckBootloaderVersion(&verdict), 0);
}

} // namespace
