#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "hid/DeviceIdentity.h"
#include "hid/Protocol.h"
#include "platform/Clock.h"
#include "sim/SimulatedBackend.h"
#include "support/SimulatedDevices.h"

namespace {

SimConfig Config(const std::string& text)
{
    SimConfig config;
    std::string error;
    EXPECT_TRUE(ParseSimConfig(text, &config, &error)) << error;
    return config;
}

int Write(HidDeviceHandle& handle, const Report& report, uint32_t timeoutMs = 100)
{
    return handle.Write(report.data(), report.size(), timeoutMs);
}

int Read(HidDeviceHandle& handle, uint32_t timeoutMs = 100)
{
    uint8_t payload[kReportPayloadSize];
    return handle.Read(payload, sizeof payload, timeoutMs);
}

std::vector<std::string> Paths(SimulatedBackend& backend)
{
    std::vector<std::string> paths;
    for (const HidDeviceInfo& info : backend.Enumerate())
        paths.push_back(info.path);
    return paths;
}

std::vector<std::string> Locations(SimulatedBackend& backend)
{
    std::vector<std::string> locations;
    for (const HidDeviceInfo& info : backend.Enumerate())
        locations.push_back(info.location);
    return locations;
}

TEST(SimulatedBackend, ListsOthersFirstThenOurDevicesInIndexOrder)
{
    VirtualClock clock;
    SimulatedBackend backend(Config("devices=3;others=2;release=0100,5512"), clock);
    const std::vector<HidDeviceInfo> list = backend.Enumerate();
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(Paths(backend),
              (std::vector<std::string>{"sim/0/other-00", "sim/0/other-01", "sim/1/kt7-00", "sim/1/kt7-01",
                                        "sim/1/kt7-02"}));
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end(),
                               [](const HidDeviceInfo& a, const HidDeviceInfo& b) { return a.path < b.path; }));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(list[i].vendorId, kSimOtherVendorId);
        EXPECT_NE(list[i].productId, kDeviceProductId);
    }
    const uint16_t releases[] = {0x0100, 0x5512, 0x5512};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list[2 + i].vendorId, kDeviceVendorId);
        EXPECT_EQ(list[2 + i].productId, kDeviceProductId);
        EXPECT_EQ(list[2 + i].releaseNumber, releases[i]);
        EXPECT_EQ(backend.Firmware(i).ReleaseNumber(), releases[i]);
    }
    EXPECT_EQ(Locations(backend), (std::vector<std::string>{"sim-other-0", "sim-other-1", "sim-0", "sim-1", "sim-2"}));
    EXPECT_EQ(backend.DeviceCount(), 3);
    EXPECT_EQ(clock.NowMs(), 0u);
}

TEST(SimulatedBackend, SixtyFourDevicesKeepSortedPaths)
{
    VirtualClock clock;
    SimulatedBackend backend(Config("devices=64;others=64"), clock);
    const std::vector<std::string> paths = Paths(backend);
    ASSERT_EQ(paths.size(), 128u);
    EXPECT_TRUE(std::is_sorted(paths.begin(), paths.end()));
    EXPECT_EQ(paths.back(), "sim/1/kt7-63");
    EXPECT_NE(backend.Open("sim/1/kt7-63"), nullptr);
    EXPECT_EQ(backend.Open("sim/1/kt7-64"), nullptr);
    EXPECT_EQ(backend.Open("sim/1/kt7-6"), nullptr);
    EXPECT_EQ(backend.Open("nothing"), nullptr);
}

TEST(SimulatedBackend, OtherDevicesOpenButNeverAnswer)
{
    VirtualClock clock;
    SimulatedBackend backend(Config("devices=1;others=1"), clock);
    std::unique_ptr<HidDeviceHandle> other = backend.Open("sim/0/other-00");
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(Write(*other, Command(HID_CMD_VERSION, kVersionPage, 1)), int(kReportSize));
    EXPECT_EQ(Read(*other, 250), 0);
    EXPECT_EQ(clock.NowMs(), 250u);
    EXPECT_EQ(backend.ReportCount(0), 0u);
}

TEST(SimulatedBackend, HandlesCarryCommandsAndAnswers)
{
    VirtualClock clock;
    SimulatedBackend backend(Config("version=A108"), clock);
    std::unique_ptr<HidDeviceHandle> handle = backend.Open("sim/1/kt7-00");
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(Write(*handle, Command(HID_CMD_VERSION, kVersionPage, 1)), int(kReportSize));
    uint8_t payload[kReportPayloadSize];
    ASSERT_EQ(handle->Read(payload, sizeof payload, 100), int(kReportPayloadSize));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(payload), 4), "A108");
    EXPECT_EQ(backend.ReportCount(0), 2u);

    // Nothing left to read: the read waits its time-out.
    EXPECT_EQ(Read(*handle, 100), 0);
    EXPECT_EQ(clock.NowMs(), 100u);
    // A report of the wrong length is refused, not read past its end.
    uint8_t shortReport[10] = {};
    EXPECT_EQ(handle->Write(shortReport, sizeof shortReport, 100), -1);
    EXPECT_EQ(clock.NowMs(), 100u);
}

TEST(SimulatedBackend, ClosingTheDeviceDropsUnreadAnswers)
{
    VirtualClock clock;
    SimulatedBackend backend(Config(""), clock);
    {
        std::unique_ptr<HidDeviceHandle> reader = backend.Open("sim/1/kt7-00");
        std::unique_ptr<HidDeviceHandle> writer = backend.Open("sim/1/kt7-00");
        ASSERT_EQ(Write(*writer, Command(HID_CMD_READ, 0, 2)), int(kReportSize));
        writer.reset();  // the read handle is still open: the answer stays
        EXPECT_EQ(Read(*reader), int(kReportPayloadSize));
    }
    std::unique_ptr<HidDeviceHandle> again = backend.Open("sim/1/kt7-00");
    EXPECT_EQ(Read(*again), 0);
    EXPECT_FALSE(backend.Firmware(0).HasReportForHost());
}

TEST(SimulatedBackend, ResetDetachesAndReattachesAfterTheDelay)
{
    VirtualClock clock;
    SimulatedBackend backend(Config("devices=2;reattach=1500"), clock);
    std::unique_ptr<HidDeviceHandle> handle = backend.Open("sim/1/kt7-00");
    ASSERT_EQ(Write(*handle, Command(HID_CMD_RESET, kEndResetArg1, kEndResetArg2)), int(kReportSize));

    EXPECT_FALSE(backend.IsAttached(0));
    EXPECT_EQ(Paths(backend), std::vector<std::string>{"sim/1/kt7-01"});
    EXPECT_EQ(Write(*handle, Command(HID_CMD_VERSION, kVersionPage, 1)), -1);
    EXPECT_EQ(Read(*handle), -1);
    EXPECT_EQ(backend.Open("sim/1/kt7-00"), nullptr);

    clock.Advance(1499);
    EXPECT_FALSE(backend.IsAttached(0));
    clock.Advance(1);
    // Back under a new path, as a new hidraw node, but at the same location.
    EXPECT_EQ(Paths(backend), (std::vector<std::string>{"sim/1/kt7-00.1", "sim/1/kt7-01"}));
    EXPECT_EQ(Locations(backend), (std::vector<std::string>{"sim-0", "sim-1"}));
    EXPECT_EQ(backend.PathOf(0), "sim/1/kt7-00.1");
    EXPECT_FALSE(backend.Firmware(0).ResetRequested());
    // A handle or path from before the reset stays dead; a new one works.
    EXPECT_EQ(Write(*handle, Command(HID_CMD_VERSION, kVersionPage, 1)), -1);
    EXPECT_EQ(backend.Open("sim/1/kt7-00"), nullptr);
    std::unique_ptr<HidDeviceHandle> fresh = backend.Open("sim/1/kt7-00.1");
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(Write(*fresh, Command(HID_CMD_VERSION, kVersionPage, 1)), int(kReportSize));
    EXPECT_EQ(Read(*fresh), int(kReportPayloadSize));
}

TEST(SimulatedBackend, ReattachCountsFromTheResetAcrossTickWrap)
{
    VirtualClock clock(0xFFFFFF00u);  // the 32-bit tick wraps during the wait
    SimulatedBackend backend(Config("reattach=1000"), clock);
    std::unique_ptr<HidDeviceHandle> handle = backend.Open("sim/1/kt7-00");
    Write(*handle, Command(HID_CMD_RESET, kEndResetArg1, kEndResetArg2));
    clock.Advance(999);
    EXPECT_FALSE(backend.IsAttached(0));
    clock.Advance(1);
    EXPECT_TRUE(backend.IsAttached(0));
}

TEST(SimulatedBackend, TestsCanUnplugAndPlug)
{
    VirtualClock clock;
    SimulatedBackend backend(Config("devices=2"), clock);
    std::unique_ptr<HidDeviceHandle> handle = backend.Open("sim/1/kt7-01");
    backend.Detach(1);
    EXPECT_EQ(Paths(backend), std::vector<std::string>{"sim/1/kt7-00"});
    EXPECT_EQ(Read(*handle), -1);
    clock.Advance(100000);
    EXPECT_FALSE(backend.IsAttached(1));
    backend.Attach(1);
    EXPECT_TRUE(backend.IsAttached(1));
    EXPECT_EQ(Read(*handle), -1);
    EXPECT_EQ(Paths(backend), (std::vector<std::string>{"sim/1/kt7-00", "sim/1/kt7-01.1"}));
    EXPECT_EQ(Locations(backend), (std::vector<std::string>{"sim-0", "sim-1"}));
}

struct FaultCase {
    const char* what;
    const char* config;
    int reportsBeforeFault;  // exchanged normally before the fault shows
    bool attachedAfter;
    int writeResult;  // what a write returns once the fault shows
    int readResult;
    uint64_t waitedMs;  // clock time the faulty write and read cost together
};

class SimulatedFaults : public testing::TestWithParam<FaultCase> {};

TEST_P(SimulatedFaults, DeviceMisbehavesAfterItsKthReport)
{
    const FaultCase& c = GetParam();
    VirtualClock clock;
    SimulatedBackend backend(Config(std::string("devices=2;") + c.config), clock);
    std::unique_ptr<HidDeviceHandle> handle = backend.Open("sim/1/kt7-00");
    ASSERT_NE(handle, nullptr);
    // Command and answer alternate, so writes and reads are both counted.
    for (int i = 0; i < c.reportsBeforeFault; ++i) {
        if (i % 2 == 0)
            ASSERT_EQ(Write(*handle, Command(HID_CMD_VERSION, kVersionPage, 1)), int(kReportSize)) << i;
        else
            ASSERT_EQ(Read(*handle), int(kReportPayloadSize)) << i;
    }
    EXPECT_EQ(backend.ReportCount(0), uint64_t(c.reportsBeforeFault));
    const uint64_t before = clock.NowMs();
    EXPECT_EQ(Write(*handle, Command(HID_CMD_VERSION, kVersionPage, 1), 5000), c.writeResult);
    EXPECT_EQ(Read(*handle, 5000), c.readResult);
    EXPECT_EQ(clock.NowMs() - before, c.waitedMs);
    EXPECT_EQ(backend.IsAttached(0), c.attachedAfter);
    EXPECT_TRUE(backend.IsAttached(1));  // the other device goes on
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SimulatedFaults,
    testing::Values(FaultCase{"unplug_after_third_report", "unplug=0@3", 3, false, -1, -1, 0},
                    FaultCase{"unplug_after_an_answer", "unplug=0@2", 2, false, -1, -1, 0},
                    FaultCase{"earliest_unplug_wins", "unplug=0@9;unplug=0@4,1@100", 4, false, -1, -1, 0},
                    FaultCase{"stall_after_second_report", "stall=0@2", 2, true, -1, 0, 10000},
                    FaultCase{"stall_after_a_command", "stall=0@3", 3, true, -1, 0, 10000},
                    FaultCase{"no_fault_for_this_device", "unplug=1@1", 4, true, int(kReportSize),
                              int(kReportPayloadSize), 0}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.what); });

TEST(SimulatedBackend, UnplugAtZeroMeansAbsentFromTheStart)
{
    VirtualClock clock;
    SimulatedBackend backend(Config("devices=2;unplug=0@0"), clock);
    EXPECT_EQ(Paths(backend), std::vector<std::string>{"sim/1/kt7-01"});
    EXPECT_EQ(backend.Open("sim/1/kt7-00"), nullptr);
}

TEST(SimulatedBackend, DevicesArriveAtTheirTimeAfterTheStart)
{
    VirtualClock clock(5000);  // times count from the backend's start, not from zero
    // Device 0 at once (0), 1 after 1000 ms, 2 after 300 ms; 3 has no value: at once.
    SimulatedBackend backend(Config("devices=4;arrive=0,1000,300"), clock);
    EXPECT_EQ(Locations(backend), (std::vector<std::string>{"sim-0", "sim-3"}));
    EXPECT_EQ(backend.Open("sim/1/kt7-01"), nullptr);
    clock.Advance(299);
    EXPECT_EQ(Locations(backend), (std::vector<std::string>{"sim-0", "sim-3"}));
    clock.Advance(1);
    EXPECT_EQ(Locations(backend), (std::vector<std::string>{"sim-0", "sim-2", "sim-3"}));
    clock.Advance(700);
    // Plugged in at its first path, and it answers.
    EXPECT_EQ(Paths(backend),
              (std::vector<std::string>{"sim/1/kt7-00", "sim/1/kt7-01", "sim/1/kt7-02", "sim/1/kt7-03"}));
    std::unique_ptr<HidDeviceHandle> handle = backend.Open("sim/1/kt7-01");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(Write(*handle, Command(HID_CMD_VERSION, kVersionPage, 1)), int(kReportSize));
    EXPECT_EQ(Read(*handle), int(kReportPayloadSize));
}

TEST(SimulatedBackend, UnpluggedBeforeItsArrivalStaysAway)
{
    VirtualClock clock;
    SimulatedBackend backend(Config("devices=2;arrive=100,100"), clock);
    backend.Detach(0);
    clock.Advance(100);
    EXPECT_EQ(Locations(backend), std::vector<std::string>{"sim-1"});
    backend.Attach(0);
    EXPECT_TRUE(backend.IsAttached(0));
}

// A loose plug: the device is gone after its K-th report, back after the
// re-attach delay at its location under a new path, and drops only once.
TEST(SimulatedBackend, DropLeavesOnceAndComesBackAfterTheReattachDelay)
{
    VirtualClock clock;
    SimulatedBackend backend(Config("devices=2;drop=0@2;reattach=500;serial=KT7A0001"), clock);
    std::unique_ptr<HidDeviceHandle> handle = backend.Open("sim/1/kt7-00");
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(Write(*handle, Command(HID_CMD_VERSION, kVersionPage, 1)), int(kReportSize));
    ASSERT_EQ(Read(*handle), int(kReportPayloadSize));
    EXPECT_FALSE(backend.IsAttached(0));
    EXPECT_EQ(Write(*handle, Command(HID_CMD_VERSION, kVersionPage, 1)), -1);
    clock.Advance(500);
    EXPECT_EQ(Locations(backend), (std::vector<std::string>{"sim-0", "sim-1"}));
    EXPECT_EQ(backend.Enumerate()[0].serialNumber, "KT7A0001");
    EXPECT_EQ(backend.Enumerate()[1].serialNumber, "");

    handle = backend.Open(backend.PathOf(0));
    ASSERT_NE(handle, nullptr);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Write(*handle, Command(HID_CMD_VERSION, kVersionPage, 1)), int(kReportSize)) << i;
        EXPECT_EQ(Read(*handle), int(kReportPayloadSize)) << i;
    }
    EXPECT_TRUE(backend.IsAttached(0));
}

TEST(SimulatedBackend, NoReattachDeviceStaysGoneAfterReset)
{
    VirtualClock clock;
    SimulatedBackend backend(Config("devices=2;noreattach=1"), clock);
    for (int i = 0; i < 2; ++i) {
        std::unique_ptr<HidDeviceHandle> handle = backend.Open(backend.PathOf(i));
        Write(*handle, Command(HID_CMD_RESET, kEndResetArg1, kEndResetArg2));
    }
    clock.Advance(3600 * 1000);
    EXPECT_TRUE(backend.IsAttached(0));
    EXPECT_FALSE(backend.IsAttached(1));
}

TEST(SimulatedBackend, UsbTimingChargesReportsAndEraseTime)
{
    VirtualClock clock;
    SimulatedBackend backend(Config("timing=usb"), clock);
    std::unique_ptr<HidDeviceHandle> handle = backend.Open("sim/1/kt7-00");
    Write(*handle, Command(HID_CMD_ERASE, 16, 4));
    Write(*handle, Command(HID_CMD_READ, 128, 1));
    EXPECT_EQ(clock.NowMs(), 2u);
    // The handshake read waits for the erase: 4 x 34 ms from the erase command.
    EXPECT_EQ(Read(*handle, 5000), int(kReportPayloadSize));
    EXPECT_EQ(clock.NowMs(), 1u + 4 * kSimEraseMsPerSector + 1);
    for (int i = 0; i < 3; ++i)
        Read(*handle);
    EXPECT_EQ(clock.NowMs(), 1u + 4 * kSimEraseMsPerSector + 4);

    // A read whose time-out ends before the erase is done returns nothing yet.
    Write(*handle, Command(HID_CMD_ERASE, 0, 10));
    Write(*handle, Command(HID_CMD_READ, 128, 1));
    const uint64_t before = clock.NowMs();
    EXPECT_EQ(Read(*handle, 100), 0);
    EXPECT_EQ(clock.NowMs() - before, 100u);
    EXPECT_EQ(Read(*handle, 5000), int(kReportPayloadSize));
    EXPECT_EQ(clock.NowMs() - before, 10 * kSimEraseMsPerSector - 1 + 1);

    // An erase longer than any single write time-out: the command that asks
    // for the handshake is still taken at once; only its answer waits.
    Write(*handle, Command(HID_CMD_ERASE, 0, 300));
    const uint64_t erased = clock.NowMs();
    EXPECT_EQ(Write(*handle, Command(HID_CMD_READ, 128, 1), 100), int(kReportSize));
    EXPECT_EQ(clock.NowMs() - erased, 1u);
    EXPECT_EQ(Read(*handle, 5000 + 300 * 500), int(kReportPayloadSize));
    EXPECT_EQ(clock.NowMs() - erased, 300 * kSimEraseMsPerSector + 1);
}

// A real sleep wakes up late; the link's time must not grow by that much for
// every report, or a long usb-timed run drifts far from the device's own time.
class LateClock final : public Clock {
public:
    uint32_t TickCount() override { return static_cast<uint32_t>(m_nowMs); }
    void Sleep(uint32_t ms) override { m_nowMs += ms + (ms > 0 ? 1 : 0); }
    uint64_t m_nowMs = 0;
};

TEST(SimulatedBackend, UsbTimingMakesUpForLateWakeUps)
{
    LateClock clock;
    SimulatedBackend backend(Config("timing=usb"), clock);
    std::unique_ptr<HidDeviceHandle> handle = backend.Open("sim/1/kt7-00");
    Write(*handle, Command(HID_CMD_WRITE, 0, 100));
    Report data{};
    for (int i = 0; i < 400; ++i)
        ASSERT_EQ(Write(*handle, data), int(kReportSize));
    EXPECT_LE(clock.m_nowMs, 401u + 2);
    EXPECT_GE(clock.m_nowMs, 401u);
}

TEST(SimulatedBackend, InstantTimingTakesNoTime)
{
    VirtualClock clock;
    SimulatedBackend backend(Config(""), clock);
    std::unique_ptr<HidDeviceHandle> handle = backend.Open("sim/1/kt7-00");
    Write(*handle, Command(HID_CMD_ERASE, 16, 100));
    Write(*handle, Command(HID_CMD_READ, 128, 1));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Read(*handle), int(kReportPayloadSize));
    EXPECT_EQ(clock.NowMs(), 0u);
}

// A worker moves reports while another thread lists and opens devices, as
// the GUI thread may do; the backend's state must stay consistent.
TEST(SimulatedBackend, ToleratesTwoThreads)
{
    VirtualClock clock;
    SimulatedBackend backend(Config("devices=2;others=1"), clock);
    std::thread worker([&] {
        std::unique_ptr<HidDeviceHandle> handle = backend.Open("sim/1/kt7-00");
        for (int i = 0; i < 2000; ++i) {
            Write(*handle, Command(HID_CMD_VERSION, kVersionPage, 1));
            Read(*handle);
        }
    });
    for (int i = 0; i < 2000; ++i) {
        EXPECT_EQ(backend.Enumerate().size(), 3u);
        backend.Open("sim/1/kt7-01");
    }
    worker.join();
    EXPECT_EQ(backend.ReportCount(0), 4000u);
}

class SimulatedFiles : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("kt7-sim-be-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

    std::filesystem::path m_dir;
};

std::string Hex(const Report& report)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t byte : report) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

TEST_F(SimulatedFiles, TraceHasOneLinePerReportInOrder)
{
    VirtualClock clock;
    {
        SimulatedBackend backend(Config("devices=2;others=1;version=A107;trace=" + Path("trace.txt")), clock);
        std::unique_ptr<HidDeviceHandle> other = backend.Open("sim/0/other-00");
        Write(*other, Command(HID_CMD_VERSION, kVersionPage, 1));  // not one of ours: not traced
        std::unique_ptr<HidDeviceHandle> second = backend.Open("sim/1/kt7-01");
        Write(*second, Command(HID_CMD_VERSION, kVersionPage, 1));
        Read(*second);
        Read(*second);  // a time-out moves no report
        std::unique_ptr<HidDeviceHandle> first = backend.Open("sim/1/kt7-00");
        Report bad = Command(HID_CMD_READ, 0, 1);
        bad[5] ^= 0xFF;
        Write(*first, bad);  // ignored by the firmware, but it reached the device
    }
    std::ifstream file(Path("trace.txt"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);

    Report answer{};
    answer[1] = 'A';
    answer[2] = '1';
    answer[3] = '0';
    answer[4] = '7';
    Report bad = Command(HID_CMD_READ, 0, 1);
    bad[5] ^= 0xFF;
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "W 1 " + Hex(Command(HID_CMD_VERSION, kVersionPage, 1)));
    EXPECT_EQ(lines[1], "R 1 " + Hex(answer));
    EXPECT_EQ(lines[2], "W 0 " + Hex(bad));
    EXPECT_EQ(lines[1].size(), 4u + 130u);
}

TEST_F(SimulatedFiles, FlashImagesAreLoadedAndWrittenBack)
{
    VirtualClock clock;
    std::filesystem::create_directory(m_dir / "flash");
    const std::string config = "devices=2;flash=" + (m_dir / "flash").string();
    {
        SimulatedBackend backend(Config(config), clock);
        EXPECT_EQ(backend.StartError(), "");
        std::unique_ptr<HidDeviceHandle> handle = backend.Open("sim/1/kt7-01");
        Write(*handle, Command(HID_CMD_WRITE, 2, 1));
        Report data;
        data.fill(0x3C);
        data[0] = 0;
        for (int i = 0; i < 4; ++i)
            Write(*handle, data);
    }
    // Device 0 was never changed: its flash is erased, as a missing image is.
    EXPECT_FALSE(std::filesystem::exists(m_dir / "flash" / "device0.bin"));
    ASSERT_EQ(std::filesystem::file_size(m_dir / "flash" / "device1.bin"), kFlashSize);

    SimulatedBackend again(Config(config), clock);
    EXPECT_EQ(again.StartError(), "");
    EXPECT_EQ(again.Firmware(1).FlashByte(2 * kPageSize), 0x3C);
    EXPECT_EQ(again.Firmware(1).FlashByte(3 * kPageSize - 1), 0x3C);
    EXPECT_EQ(again.Firmware(1).FlashByte(3 * kPageSize), 0xFF);
    EXPECT_EQ(again.Firmware(0).FlashByte(2 * kPageSize), 0xFF);
}

TEST_F(SimulatedFiles, ImageOfWrongSizeIsAStartErrorAndIsNotOverwritten)
{
    std::filesystem::create_directories(m_dir / "flash");
    std::ofstream(m_dir / "flash" / "device0.bin", std::ios::binary) << "not a flash image";
    VirtualClock clock;
    {
        SimulatedBackend backend(Config("flash=" + (m_dir / "flash").string()), clock);
        EXPECT_NE(backend.StartError().find("device0.bin"), std::string::npos) << backend.StartError();
        EXPECT_NE(backend.StartError().find("8388608"), std::string::npos) << backend.StartError();
    }
    EXPECT_EQ(std::filesystem::file_size(m_dir / "flash" / "device0.bin"), 17u);
}

// Settings that name files the run could not use are refused when the
// backend starts, before a device is seen, and leave the file system as it
// was: no folder is created, no image written, no trace left behind.
TEST_F(SimulatedFiles, UnusableFileSettingsAreAStartErrorAndWriteNothing)
{
    struct Case {
        const char* what;
        std::string settings;
        const char* error;  // part of StartError()
    };
    std::ofstream(Path("plain-file")) << "not a folder";
#ifndef _WIN32
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
#endif
    std::filesystem::create_directory(m_dir / "flash");
    std::ofstream(m_dir / "flash" / "device1.bin") << "short";
    const Case cases[] = {
        {"flash names a file", "flash=" + Path("plain-file"), "is not an existing folder"},
        {"flash names a folder that does not exist", "flash=" + Path("new/flash"), "is not an existing folder"},
        {"trace in a folder that does not exist", "trace=" + Path("new/trace.txt"), "cannot be created"},
        {"trace names a folder", "trace=" + m_dir.string(), "cannot be created"},
#ifndef _WIN32  // Windows has no FIFOs in its folders
        {"trace is a FIFO nobody reads", "trace=" + Path("fifo"), "cannot be created"},
#endif
        {"a bad image, with a trace", "devices=2;flash=" + Path("flash") + ";trace=" + Path("trace.txt"),
         "device1.bin"},
    };
    const auto before = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_dir))
            names.push_back(entry.path().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string> files = before();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VirtualClock clock;
        {
            SimulatedBackend backend(Config(c.settings), clock);
            EXPECT_NE(backend.StartError().find(c.error), std::string::npos) << backend.StartError();
            // Device 0 changes, so a backend that saved anything would write its image.
            backend.Firmware(0).PokeFlash(0, reinterpret_cast<const uint8_t*>("x"), 1);
            EXPECT_TRUE(backend.Finish());
        }
        EXPECT_EQ(before(), files);
        EXPECT_EQ(std::filesystem::file_size(m_dir / "flash" / "device1.bin"), 5u);
    }
}

#ifndef _WIN32  // needs /dev/full
// A file that could not be written whole is reported by Finish(), not
// passed off as saved; a failed image never replaces a good one.
TEST_F(SimulatedFiles, FinishReportsFilesThatCouldNotBeWritten)
{
    struct Case {
        const char* what;
        std::string settings;
        const char* error;  // part of Finish()'s error; empty: saved
    };
    std::filesystem::create_directory(m_dir / "flash");
    std::filesystem::create_directory(m_dir / "full");
    // The image is written beside its place first: a full disk there.
    std::filesystem::create_symlink("/dev/full", m_dir / "full" / "device0.bin.tmp");
    const Case cases[] = {
        {"everything saved", "flash=" + Path("flash") + ";trace=" + Path("trace.txt"), ""},
        {"trace on a full disk", "trace=/dev/full", "cannot write the trace /dev/full"},
        {"image on a full disk", "flash=" + Path("full"), "device0.bin.tmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VirtualClock clock;
        SimulatedBackend backend(Config(c.settings), clock);
        ASSERT_EQ(backend.StartError(), "");
        std::unique_ptr<HidDeviceHandle> handle = backend.Open("sim/1/kt7-00");
        Write(*handle, Command(HID_CMD_ERASE, 0, 1));
        std::string error;
        EXPECT_EQ(backend.Finish(&error), *c.error == '\0');
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_FALSE(std::filesystem::exists(m_dir / "full" / "device0.bin"));
        EXPECT_TRUE(backend.Finish()) << "a second Finish() writes nothing";
    }
    EXPECT_EQ(std::filesystem::file_size(m_dir / "flash" / "device0.bin"), kFlashSize);
    EXPECT_GT(std::filesystem::file_size(m_dir / "trace.txt"), 0u);
}
#endif

}  // namespace
