#include <gtest/gtest.h>

#include "HidTestFixture.h"

namespace {

using PresenceTest = HidTest;

TEST_F(PresenceTest, NoDeviceEverKeepsTheStartCount)
{
    backend.AddDevice("a-mouse", 0x046D, 0xC077, 0);
    EXPECT_EQ(devices.IsDevicePresent(), 0);
    EXPECT_EQ(devices.IsDevicePresent(), 0);
    EXPECT_EQ(devices.m_deviceCount, 1);
}

TEST_F(PresenceTest, RecordsTheCountOfTheLastCheckThatFoundDevices)
{
    backend.AddMatchingDevice("a-kt7");
    backend.AddMatchingDevice("b-kt7");
    backend.AddMatchingDevice("c-kt7");
    backend.SetOpenFails("c-kt7", true);  // still attached, so still counted

    EXPECT_EQ(devices.IsDevicePresent(), 1);
    EXPECT_EQ(devices.m_deviceCount, 3);
    EXPECT_EQ(backend.OpenHandles(), 0) << "counting leaves nothing open";
    EXPECT_TRUE(backend.Written("a-kt7").empty()) << "counting sends no command";

    backend.Unplug("a-kt7");
    backend.Unplug("c-kt7");
    EXPECT_EQ(devices.IsDevicePresent(), 1);
    EXPECT_EQ(devices.m_deviceCount, 1);

    backend.Unplug("b-kt7");
    EXPECT_EQ(devices.IsDevicePresent(), 0);
    EXPECT_EQ(devices.m_deviceCount, 1);
}

TEST_F(PresenceTest, UnpluggedAfterCheckKeepsEarlierCount)
{
    backend.AddMatchingDevice("a-kt7");
    backend.AddMatchingDevice("b-kt7");
    EXPECT_EQ(devices.IsDevicePresent(), 1);
    backend.Unplug("a-kt7");
    backend.Unplug("b-kt7");
    EXPECT_EQ(devices.IsDevicePresent(), 0);
    EXPECT_EQ(devices.m_deviceCount, 2);
}

} // namespace
