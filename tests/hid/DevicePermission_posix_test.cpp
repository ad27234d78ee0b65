#include <cstdio>
#include <optional>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "backends/Unprivileged.h"
#include "hid/DevicePermission.h"
#include "support/FakeHidBackend.h"

namespace {

using ::testing::HasSubstr;

TEST(DevicePermissionTest, OnlyAnUnreadableExistingNodeIsDenied)
{
    std::string locked = MakeNode(0600);
    std::string open = MakeNode(0666);
    ASSERT_FALSE(locked.empty());
    ASSERT_FALSE(open.empty());

    std::optional<bool> lockedDenied = RunUnprivileged([&] { return IsAccessDenied(locked); });
    std::optional<bool> openDenied = RunUnprivileged([&] { return IsAccessDenied(open); });
    std::remove(locked.c_str());
    std::remove(open.c_str());
    EXPECT_FALSE(IsAccessDenied("/tmp/kt7-no-such-node")) << "a missing node is not a permission problem";
    if (!lockedDenied || !openDenied)
        GTEST_SKIP() << "can't drop root here";
    EXPECT_TRUE(*lockedDenied);
    EXPECT_FALSE(*openDenied);
}

TEST(DevicePermissionTest, LineNamesTheNodeAndTheRule)
{
    std::string line = AccessDeniedLine("/dev/hidraw3");
    EXPECT_THAT(line, HasSubstr("Permission denied"));
    EXPECT_THAT(line, HasSubstr("/dev/hidraw3"));
    EXPECT_THAT(line, HasSubstr("/usr/lib/udev/rules.d/70-kt7-updater.rules"));
    EXPECT_EQ(line.back(), '\n');
}

TEST(DevicePermissionTest, HintNamesTheRefusedDevicesTheRuleAndItsCommand)
{
    std::string locked = MakeNode(0600);
    std::string open = MakeNode(0666);
    std::string stranger = MakeNode(0600);
    ASSERT_FALSE(locked.empty() || open.empty() || stranger.empty());
    FakeHidBackend backend;
    backend.AddMatchingDevice(open);
    backend.AddMatchingDevice(locked);
    backend.AddDevice(stranger, 0x1234, 0x5678, 0x0100);

    std::string lockedMessage;
    std::optional<bool> asExpected = RunUnprivileged([&] {
        const std::string message = WithDevicePermissionHint(backend, "Failed to update in bootloader!");
        const std::string hint = message.substr(message.find('\n') + 1);
        return message.starts_with("Failed to update in bootloader!\n") && hint.find(locked) != std::string::npos &&
               hint.find(open) == std::string::npos && hint.find(stranger) == std::string::npos &&
               hint.find("/usr/lib/udev/rules.d/70-kt7-updater.rules") != std::string::npos &&
               hint.find("sudo tee /usr/lib/udev/rules.d/70-kt7-updater.rules") != std::string::npos &&
               hint.find("udevadm trigger") != std::string::npos && hint.find('\n') == std::string::npos;
    });
    std::remove(locked.c_str());
    std::remove(open.c_str());
    std::remove(stranger.c_str());
    if (!asExpected)
        GTEST_SKIP() << "can't drop root here";
    EXPECT_TRUE(*asExpected);
}

TEST(DevicePermissionTest, MessageStaysAloneWhenEveryDeviceMayBeOpened)
{
    FakeHidBackend backend;
    backend.AddMatchingDevice("sim-0");
    EXPECT_EQ(WithDevicePermissionHint(backend, "无法打开USB设备！"), "无法打开USB设备！");
}

} // namespace
