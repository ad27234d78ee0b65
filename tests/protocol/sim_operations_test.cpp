// The command operations against simulated devices: what ends up in their
// flash, and where an operation stops when a device misbehaves.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "hid/DeviceSet.h"
#include "platform/Clock.h"
#include "platform/Diagnostics.h"
#include "platform/FlashGeometry.h"
#include "sim/SimConfig.h"
#include "sim/SimulatedBackend.h"
#include "support/SimulatedDevices.h"

namespace {

const char kOpenLine[] = "USB HID Device VID[0416] PID[b500] Open Success.\n";

class SimOperationsTest : public SimulatedDevicesTest {
protected:
    std::vector<uint8_t> Pages(int device, uint32_t firstPage, uint32_t count)
    {
        std::vector<uint8_t> bytes(count * kPageSize);
        backend->Firmware(device).ReadFlash(firstPage * kPageSize, bytes.data(), bytes.size());
        return bytes;
    }

    static std::vector<uint8_t> Pattern(size_t length)
    {
        std::vector<uint8_t> bytes(length);
        for (size_t i = 0; i < length; ++i)
            bytes[i] = uint8_t(i * 7 + 3);
        return bytes;
    }
};

TEST_F(SimOperationsTest, WritePagesReachesEveryDevice)
{
    Start("devices=2");
    std::vector<uint8_t> data = Pattern(3 * kPageSize);
    EXPECT_EQ(devices->WritePages(data.data(), 200, 3), int(3 * kPageSize));
    for (int device = 0; device < 2; ++device) {
        EXPECT_EQ(Pages(device, 200, 3), data) << "device " << device;
        EXPECT_TRUE(backend->Firmware(device).Faults().empty());
    }
    std::string line = std::string(kOpenLine) + ">>> Write pages: 200 - 202\n";
    EXPECT_EQ(diagnostics.Text(), line + line);
}

TEST_F(SimOperationsTest, SecondDeviceUnpluggedDuringWrite)
{
    // Device 1 is gone after the command report and one data report.
    Start("devices=2;unplug=1@2");
    std::vector<uint8_t> data = Pattern(2 * kPageSize);
    EXPECT_EQ(devices->WritePages(data.data(), 300, 2), 0);
    EXPECT_EQ(Pages(0, 300, 2), data);
    EXPECT_EQ(diagnostics.Text(), std::string(kOpenLine) + ">>> Write pages: 300 - 301\n" + kOpenLine +
                                      ">>> Write pages: 300 - 301\nERROR: Write fail!\n"
                                      "ERROR: write of pages 300-301 on device 1 (sim-1): the device left the bus "
                                      "(unplugged?) at the data for page 300\n");
}

TEST_F(SimOperationsTest, EraseClearsTheSectorsOfEveryDevice)
{
    Start("devices=2;timing=usb");
    std::vector<uint8_t> junk(2 * kSectorSize, 0x00);
    for (int device = 0; device < 2; ++device)
        backend->Firmware(device).PokeFlash(8 * kSectorSize, junk.data(), junk.size());

    EXPECT_EQ(devices->EraseSectors(8, 1), 1);
    for (int device = 0; device < 2; ++device) {
        EXPECT_EQ(Pages(device, 128, 16), std::vector<uint8_t>(kSectorSize, 0xFF));
        EXPECT_EQ(Pages(device, 144, 16), std::vector<uint8_t>(kSectorSize, 0x00));  // sector 9 untouched
    }
    EXPECT_EQ(diagnostics.Text(), "");
}

TEST_F(SimOperationsTest, LongEraseIsNotCutShort)
{
    // 200 sectors at 34 ms each keep the device busy for 6.8 s, longer than
    // a plain transfer may take.
    Start("timing=usb");
    EXPECT_EQ(devices->EraseSectors(16, 200), 200);
    EXPECT_GE(clock.NowMs(), 200u * kSimEraseMsPerSector);
}

TEST_F(SimOperationsTest, StalledDeviceFailsWithinItsBound)
{
    struct Case {
        const char* name;
        const char* simulate;
        int (*run)(DeviceSet&);
        int failure;
    };
    const Case cases[] = {
        {"erase handshake never answered", "stall=0@2", [](DeviceSet& set) { return set.EraseSectors(8, 4); }, 0},
        {"area table stalls mid-way", "stall=0@2", [](DeviceSet& set) { return set.WriteAreaInfo(1, 2, 3); }, 1},
        {"reset not accepted", "stall=0@0", [](DeviceSet& set) { return set.SendReset(); }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start(c.simulate);
        uint64_t start = clock.NowMs();
        EXPECT_EQ(c.run(*devices), c.failure);
        // One bounded wait, at most the erase-long bound.
        EXPECT_LE(clock.NowMs() - start, uint64_t(EraseHandshakeTimeoutMs(4)));
    }
}

TEST_F(SimOperationsTest, VersionVerdicts)
{
    struct Case {
        const char* version;
        int verdict;
    };
    const Case cases[] = {{"A107", 2}, {"A108", 1}, {"B", 1}, {"X", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        Start(std::string("devices=2;version=") + c.version);
        diagnostics.Clear();
        int verdict = -1;
        EXPECT_EQ(devices->CheckBootloaderVersion(&verdict), 64);
        EXPECT_EQ(verdict, c.verdict);

        // One open line, then a string and a hex dump of 64 lines each per device.
        std::string text = diagnostics.Text();
        EXPECT_EQ(text.rfind(kOpenLine, 0), 0u);
        EXPECT_EQ(text.find(kOpenLine, 1), std::string::npos);
        std::string expectedFirst = std::string("pReadBuf[0]=") + c.version[0] + "\n";
        EXPECT_NE(text.find("String code\n" + expectedFirst), std::string::npos);
        size_t hexDumps = 0;
        for (size_t at = text.find("Hex code\n"); at != std::string::npos; at = text.find("Hex code\n", at + 1))
            ++hexDumps;
        EXPECT_EQ(hexDumps, 2u);
    }
}

TEST_F(SimOperationsTest, ShiftedCommandSetOnADeviceSpecificRelease)
{
    Start("release=1234");
    devices->SelectCommandSet(1);
    std::vector<uint8_t> data = Pattern(kPageSize);
    EXPECT_EQ(devices->EraseSectors(20, 1), 1);
    EXPECT_EQ(devices->WritePages(data.data(), 320, 1), int(kPageSize));
    EXPECT_EQ(devices->WriteAreaInfo(0x20, 0xFFFF, 0x40), 0);
    EXPECT_EQ(devices->SendEnd(), 0);
    EXPECT_EQ(Pages(0, 320, 1), data);
    const SimFirmware& firmware = backend->Firmware(0);
    EXPECT_EQ(firmware.IgnoredReports(), 0u);
    ASSERT_TRUE(firmware.HasAreaTable());
    const uint8_t head[] = {0x20, 0x00, 0xFF, 0xFF, 0x40, 0x00, 0xFF};
    EXPECT_EQ(std::memcmp(firmware.AreaTable().data(), head, sizeof head), 0);
    EXPECT_EQ(firmware.EndCount(), 1);
}

} // namespace
