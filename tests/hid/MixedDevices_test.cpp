#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "HidTestFixture.h"
#include "hid/HidIO.h"
#include "hid/DeviceKind.h"

namespace {

struct AttachedDevice {
    bool matching;
    uint16_t release;
};

struct MixCase {
    const char* name;
    std::vector<AttachedDevice> devices;
    bool mixed;
};

const MixCase kMixCases[] = {
    {"NoDevice", {}, false},
    {"OneDevice", {{true, 0x0100}}, false},
    {"TwoOfOneSpecificRelease", {{true, 0x0100}, {true, 0x0100}}, false},
    // 0000 and 5512 both take the generic package and the base commands.
    {"BothGenericReleases", {{true, 0x0000}, {true, 0x5512}}, false},
    {"GenericAndSpecific", {{true, 0x5512}, {true, 0x0100}}, true},
    {"SpecificAndGeneric", {{true, 0x0100}, {true, 0x0000}}, true},
    // Same command set, but each wants a package of its own.
    {"TwoSpecificReleases", {{true, 0x0100}, {true, 0x0200}}, true},
    {"OtherHidDevicesDoNotCount", {{false, 0x0100}, {true, 0x5512}, {false, 0x0200}}, false},
};

void PrintTo(const MixCase& c, std::ostream* out)
{
    *out << c.name;
}

class MixedDevicesTest : public HidTest, public ::testing::WithParamInterface<MixCase> {};

TEST_P(MixedDevicesTest, RefusesDevicesThatNeedDifferentPackagesOrCommands)
{
    std::vector<std::string> paths;
    int index = 0;
    for (const AttachedDevice& device : GetParam().devices) {
        const std::string path = "dev-" + std::to_string(index++);
        paths.push_back(path);
        if (device.matching)
            backend.AddMatchingDevice(path, device.release);
        else
            backend.AddDevice(path, 0x046D, 0xC31C, device.release);
    }
    EXPECT_EQ(!CommonKind(devices.List()) && !devices.List().empty(), GetParam().mixed);
    for (const std::string& path : paths)
        EXPECT_EQ(backend.OpenCount(path), 0) << "the check opens no device";
}

INSTANTIATE_TEST_SUITE_P(Cases, MixedDevicesTest, ::testing::ValuesIn(kMixCases),
                         [](const auto& info) { return std::string(info.param.name); });

using MixedDevicesLimitTest = HidTest;

// Only the devices a run would open are looked at.
TEST_F(MixedDevicesLimitTest, DevicesPastTheOpenedOnesDoNotCount)
{
    for (int i = 0; i < CHidIO::kMaxDevices; ++i)
        backend.AddMatchingDevice("dev-" + std::to_string(100 + i), 0x5512);
    backend.AddMatchingDevice("dev-999", 0x0100);
    EXPECT_TRUE(CommonKind(devices.List()).has_value());
}

} // namespace
