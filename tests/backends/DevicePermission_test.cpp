#include <cstdio>
#include <optional>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Unprivileged.h"
#include "backends/DevicePermission.h"

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

} // namespace
