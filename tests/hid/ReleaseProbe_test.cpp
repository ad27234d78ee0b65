#include <cstring>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "HidTestFixture.h"
#include "hid/DeviceIdentity.h"
#include "hid/ReleaseProbe.h"

namespace {

using ::testing::IsEmpty;

TEST(HexDigitCharTest, UsesLowFourBitsInUpperCase)
{
    const std::pair<unsigned, char> cases[] = {{0, '0'}, {9, '9'}, {10, 'A'}, {15, 'F'}, {0x1B, 'B'}, {0xFFF0, '0'}};
    for (auto [value, digit] : cases)
        EXPECT_EQ(HexDigitChar(value), digit) << value;
}

struct ProbeDevice {
    std::string path;
    bool matching;
    uint16_t release;
};

struct ProbeCase {
    const char* name;
    std::vector<ProbeDevice> devices;
    bool expectFound;
    bool expectDeviceSpecific;
    const char* expectedText;  // the release text: four digits, or empty for the generic kind
    uint64_t expectedMs;
};

const ProbeCase kProbeCases[] = {
    {"NoDevice", {}, false, false, "", 500},
    {"OnlyOtherDevices", {{"a-mouse", false, 0x0100}}, false, false, "", 500},
    {"Release0000IsGeneric", {{"kt7", true, 0x0000}}, true, false, "", 0},
    {"Release5512IsGeneric", {{"kt7", true, 0x5512}}, true, false, "", 0},
    {"Release0100IsDeviceSpecific", {{"kt7", true, 0x0100}}, true, true, "0100", 0},
    {"HexDigitsInUpperCase", {{"kt7", true, 0xABCD}}, true, true, "ABCD", 0},
    {"MatchingLastAfterOthersCostsNothing",
     {{"a-keyboard", false, 0x5512}, {"b-mouse", false, 0x0000}, {"c-kt7", true, 0x0100}}, true, true, "0100", 0},
    {"FirstMatchingDeviceDecides", {{"a-kt7", true, 0x5512}, {"b-kt7", true, 0x0100}}, true, false, "", 0},
};

class ReleaseProbeTest : public HidTest, public ::testing::WithParamInterface<ProbeCase> {};

TEST_P(ReleaseProbeTest, ChoosesPackageAndCommandSet)
{
    const ProbeCase& c = GetParam();
    for (const ProbeDevice& device : c.devices) {
        if (device.matching)
            backend.AddMatchingDevice(device.path, device.release);
        else
            backend.AddDevice(device.path, 0x046D, 0xC31C, device.release);
    }

    const ReleaseProbe probe = ProbeDeviceRelease(backend, clock);
    EXPECT_EQ(probe.found, c.expectFound);
    EXPECT_EQ(probe.deviceSpecific, c.expectDeviceSpecific);
    EXPECT_EQ(std::string(probe.releaseText), c.expectedText);
    EXPECT_THAT(prompter.Messages(), IsEmpty()) << "the probe shows nothing itself";
    EXPECT_EQ(clock.NowMs(), c.expectedMs);
    for (const ProbeDevice& device : c.devices)
        EXPECT_EQ(backend.OpenCount(device.path), 0) << "the probe never opens a device";
}

INSTANTIATE_TEST_SUITE_P(Cases, ReleaseProbeTest, ::testing::ValuesIn(kProbeCases),
                         [](const auto& info) { return std::string(info.param.name); });

using FindHidDeviceTest = HidTest;

TEST_F(FindHidDeviceTest, ReportsTheMatchingDevicesRelease)
{
    backend.AddDevice("a-other", 0x1234, 0x5678, 0x9999);
    backend.AddMatchingDevice("b-kt7", 0x0321);
    uint16_t release = 0;
    EXPECT_EQ(FindHidDevice(backend, clock, kDeviceVendorId, kDeviceProductId, &release), 1);
    EXPECT_EQ(release, 0x0321);
    EXPECT_EQ(backend.EnumerateCalls(), 1);
}

TEST_F(FindHidDeviceTest, RetriesFiveTimesBeforeGivingUp)
{
    backend.AddDevice("a-other", 0x1234, 0x5678, 0x9999);
    uint16_t release = 0;
    EXPECT_EQ(FindHidDevice(backend, clock, kDeviceVendorId, kDeviceProductId, &release), 0);
    EXPECT_EQ(backend.EnumerateCalls(), 6);
    EXPECT_EQ(clock.NowMs(), 500u);
}

} // namespace
