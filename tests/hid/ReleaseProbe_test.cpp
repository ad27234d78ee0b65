#include <cstring>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "HidTestFixture.h"
#include "hid/DeviceIdentity.h"
#include "hid/ReleaseProbe.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char kNoDeviceMessage[] = "请确认已连接设备！";

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
    int expectedResult;
    const char* expectedText;  // the 5-byte buffer afterwards ("xxxx" = untouched)
    bool expectMessage;
    uint64_t expectedMs;
};

const ProbeCase kProbeCases[] = {
    {"NoDevice", {}, 0, "xxxx", true, 500},
    {"OnlyOtherDevices", {{"a-mouse", false, 0x0100}}, 0, "xxxx", true, 500},
    {"Release0000IsGeneric", {{"kt7", true, 0x0000}}, 0, "xxxx", false, 0},
    {"Release5512IsGeneric", {{"kt7", true, 0x5512}}, 0, "xxxx", false, 0},
    {"Release0100IsDeviceSpecific", {{"kt7", true, 0x0100}}, 1, "0100", false, 0},
    {"HexDigitsInUpperCase", {{"kt7", true, 0xABCD}}, 1, "ABCD", false, 0},
    {"MatchingLastAfterOthersCostsNothing",
     {{"a-keyboard", false, 0x5512}, {"b-mouse", false, 0x0000}, {"c-kt7", true, 0x0100}}, 1, "0100", false, 0},
    {"FirstMatchingDeviceDecides", {{"a-kt7", true, 0x5512}, {"b-kt7", true, 0x0100}}, 0, "xxxx", false, 0},
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

    char text[kReleaseTextSize + 1] = "xxxx";
    text[4] = 'y';  // must become the terminator only when the digits are written
    EXPECT_EQ(ProbeDeviceRelease(text), c.expectedResult);
    EXPECT_EQ(std::string(text, 4), c.expectedText);
    EXPECT_EQ(text[4], c.expectedResult ? '\0' : 'y');
    if (c.expectMessage)
        EXPECT_THAT(prompter.Messages(), ElementsAre(kNoDeviceMessage));
    else
        EXPECT_THAT(prompter.Messages(), IsEmpty());
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
    EXPECT_EQ(FindHidDevice(kDeviceVendorId, kDeviceProductId, &release), 1);
    EXPECT_EQ(release, 0x0321);
    EXPECT_EQ(backend.EnumerateCalls(), 1);
}

TEST_F(FindHidDeviceTest, RetriesFiveTimesBeforeGivingUp)
{
    backend.AddDevice("a-other", 0x1234, 0x5678, 0x9999);
    uint16_t release = 0;
    EXPECT_EQ(FindHidDevice(kDeviceVendorId, kDeviceProductId, &release), 0);
    EXPECT_EQ(backend.EnumerateCalls(), 6);
    EXPECT_EQ(clock.NowMs(), 500u);
}

} // namespace
