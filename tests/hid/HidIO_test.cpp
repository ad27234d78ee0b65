#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "HidTestFixture.h"
#include "hid/DeviceIdentity.h"
#include "hid/HidIO.h"

namespace {

using ::testing::ElementsAreArray;

struct FakeDevice {
    std::string path;
    uint16_t vendorId;
    uint16_t productId;
};

struct EnumerationCase {
    const char* name;
    std::vector<FakeDevice> devices;
    std::vector<std::string> expectedOrder;  // paths of devices 0, 1, ...
};

constexpr uint16_t kVid = kDeviceVendorId;
constexpr uint16_t kPid = kDeviceProductId;

const EnumerationCase kEnumerationCases[] = {
    {"NoDevice", {}, {}},
    {"OnlyOtherDevices", {{"a-keyboard", 0x046D, 0xC31C}, {"b-mouse", 0x046D, 0xC077}}, {}},
    {"MatchingAfterOthersGetsIndexZero",
     {{"a-keyboard", 0x046D, 0xC31C}, {"b-mouse", 0x046D, 0xC077}, {"c-kt7", kVid, kPid}},
     {"c-kt7"}},
    {"TwoMatchingInEnumerationOrder", {{"a-kt7", kVid, kPid}, {"b-other", 0x1234, 0x5678}, {"c-kt7", kVid, kPid}},
     {"a-kt7", "c-kt7"}},
    {"SameVendorOtherProductSkipped", {{"a-sibling", kVid, 0xB501}, {"b-kt7", kVid, kPid}}, {"b-kt7"}},
    {"OtherVendorSameProductSkipped", {{"a-lookalike", 0x0417, kPid}}, {}},
};

class HidIOEnumerationTest : public HidTest, public ::testing::WithParamInterface<EnumerationCase> {};

TEST_P(HidIOEnumerationTest, OpensMatchingDevicesInOrder)
{
    for (const FakeDevice& device : GetParam().devices)
        backend.AddDevice(device.path, device.vendorId, device.productId, 0x5512);

    CHidIO io(backend);
    const auto& expected = GetParam().expectedOrder;
    ASSERT_EQ(io.OpenDevice(kVid, kPid), static_cast<int>(expected.size()));
    EXPECT_EQ(io.DeviceCount(), static_cast<int>(expected.size()));

    // Index i reaches the i-th matching device, and only that one.
    for (size_t i = 0; i < expected.size(); ++i) {
        uint8_t report[kReportSize] = {0, static_cast<uint8_t>(i + 1)};
        ASSERT_EQ(io.WriteReport(report, kReportSize, nullptr, 100, static_cast<int>(i)), 1);
        auto written = backend.Written(expected[i]);
        ASSERT_EQ(written.size(), 1u);
        EXPECT_EQ(written[0][1], i + 1);
    }
    for (const FakeDevice& device : GetParam().devices) {
        bool matching = device.vendorId == kVid && device.productId == kPid;
        EXPECT_EQ(backend.OpenCount(device.path), matching ? 1 : 0) << device.path;
    }
    uint8_t report[kReportSize] = {};
    EXPECT_EQ(io.WriteReport(report, kReportSize, nullptr, 100, static_cast<int>(expected.size())), 0)
        << "the index past the last device must not reach anything";
}

INSTANTIATE_TEST_SUITE_P(Cases, HidIOEnumerationTest, ::testing::ValuesIn(kEnumerationCases),
                         [](const auto& info) { return std::string(info.param.name); });

using HidIOTest = HidTest;

TEST_F(HidIOTest, OpensAtMostThirtyOneDevices)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 40; ++i) {
        char path[16];
        std::snprintf(path, sizeof path, "kt7-%02d", i);
        paths.push_back(backend.AddMatchingDevice(path));
    }

    CHidIO io(backend);
    ASSERT_EQ(io.OpenDevice(kVid, kPid), CHidIO::kMaxDevices);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(backend.OpenCount(paths[i]), i < CHidIO::kMaxDevices ? 1 : 0) << paths[i];

    uint8_t report[kReportSize] = {};
    EXPECT_EQ(io.WriteReport(report, kReportSize, nullptr, 100, CHidIO::kMaxDevices - 1), 1);
    for (int index : {CHidIO::kMaxDevices, CHidIO::kSlots, 39}) {
        uint32_t count = 7;
        EXPECT_EQ(io.ReadReport(report, kReportSize, &count, 100, index), 0) << index;
        EXPECT_EQ(count, 0u);
    }
    io.CloseDevice();
    EXPECT_EQ(backend.OpenHandles(), 0);
}

TEST_F(HidIOTest, DeviceThatFailsToOpenCountsButItsTransfersFail)
{
    backend.AddMatchingDevice("a-locked");
    backend.AddMatchingDevice("b-ok");
    backend.SetOpenFails("a-locked", true);
    backend.QueueRead("b-ok", std::vector<uint8_t>(64, 0x5A));

    CHidIO io(backend);
    ASSERT_EQ(io.OpenDevice(kVid, kPid), 2);
    uint8_t report[kReportSize] = {};
    uint32_t count = 99;
    EXPECT_EQ(io.WriteReport(report, kReportSize, &count, 100, 0), 0);
    EXPECT_EQ(count, 0u);
    count = 99;
    EXPECT_EQ(io.ReadReport(report, kReportSize, &count, 100, 0), 0);
    EXPECT_EQ(count, 0u);

    EXPECT_EQ(io.ReadReport(report, kReportSize, &count, 100, 1), 1);
    EXPECT_EQ(count, kReportSize);
}

TEST_F(HidIOTest, ReadPutsReportIdInFrontOfPayload)
{
    backend.AddMatchingDevice("kt7");
    std::vector<uint8_t> payload(64);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<uint8_t>(0x80 + i);
    backend.QueueRead("kt7", payload);
    backend.QueueRead("kt7", payload);

    CHidIO io(backend);
    ASSERT_EQ(io.OpenDevice(kVid, kPid), 1);
    uint8_t report[kReportSize];
    std::fill(std::begin(report), std::end(report), 0xEE);
    uint32_t count = 0;
    ASSERT_EQ(io.ReadReport(report, kReportSize, &count, 1500, 0), 1);
    EXPECT_EQ(count, kReportSize);
    EXPECT_EQ(report[0], 0);
    EXPECT_THAT(std::vector<uint8_t>(report + 1, report + kReportSize), ElementsAreArray(payload));

    // Without a count pointer the read works the same.
    EXPECT_EQ(io.ReadReport(report, kReportSize, nullptr, 100, 0), 1);
    EXPECT_THAT(backend.ReadTimeouts("kt7"), ElementsAreArray({1500u, 100u}));
}

TEST_F(HidIOTest, ShortPayloadLeavesNoStaleBytes)
{
    backend.AddMatchingDevice("kt7");
    backend.QueueRead("kt7", {1, 2, 3});

    CHidIO io(backend);
    ASSERT_EQ(io.OpenDevice(kVid, kPid), 1);
    uint8_t report[kReportSize];
    std::fill(std::begin(report), std::end(report), 0xEE);
    uint32_t count = 0;
    ASSERT_EQ(io.ReadReport(report, kReportSize, &count, 100, 0), 1);
    EXPECT_EQ(count, 4u);
    std::vector<uint8_t> expected(kReportSize, 0);
    expected[1] = 1;
    expected[2] = 2;
    expected[3] = 3;
    EXPECT_THAT(std::vector<uint8_t>(report, report + kReportSize), ElementsAreArray(expected));
}

TEST_F(HidIOTest, WriteSendsTheReportAsIs)
{
    backend.AddMatchingDevice("kt7");
    CHidIO io(backend);
    ASSERT_EQ(io.OpenDevice(kVid, kPid), 1);
    std::vector<uint8_t> report(kReportSize);
    for (size_t i = 1; i < report.size(); ++i)
        report[i] = static_cast<uint8_t>(i);
    uint32_t count = 0;
    ASSERT_EQ(io.WriteReport(report.data(), kReportSize, &count, 100, 0), 1);
    EXPECT_EQ(count, kReportSize);
    auto written = backend.Written("kt7");
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0], report);
}

struct FailureCase {
    const char* name;
    void (*arrange)(FakeHidBackend&);
    bool read;  // else write
};

const FailureCase kFailureCases[] = {
    {"ReadTimesOut", [](FakeHidBackend&) {}, true},
    {"ReadEmptyReport", [](FakeHidBackend& b) { b.QueueRead("kt7", {}); }, true},
    {"ReadAfterUnplug",
     [](FakeHidBackend& b) {
         b.QueueRead("kt7", std::vector<uint8_t>(64, 1));
         b.Unplug("kt7");
     },
     true},
    {"WriteAfterUnplug", [](FakeHidBackend& b) { b.Unplug("kt7"); }, false},
    {"WriteRefused", [](FakeHidBackend& b) { b.SetWriteFails("kt7", true); }, false},
    {"WriteMovesOnlyTheReportId", [](FakeHidBackend& b) { b.SetWriteResult("kt7", 1); }, false},
    {"WriteClaimsMoreThanGiven", [](FakeHidBackend& b) { b.SetWriteResult("kt7", 66); }, false},
};

class HidIOFailureTest : public HidTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(HidIOFailureTest, FailsWithCountZero)
{
    backend.AddMatchingDevice("kt7");
    CHidIO io(backend);
    ASSERT_EQ(io.OpenDevice(kVid, kPid), 1);
    GetParam().arrange(backend);

    uint8_t report[kReportSize] = {};
    uint32_t count = 123;
    int result = GetParam().read ? io.ReadReport(report, kReportSize, &count, 100, 0)
                                 : io.WriteReport(report, kReportSize, &count, 100, 0);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(diagnostics.Text(), "") << "CHidIO reports nothing itself";
}

INSTANTIATE_TEST_SUITE_P(Cases, HidIOFailureTest, ::testing::ValuesIn(kFailureCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HidIOTest, BadArgumentsFailWithoutTouchingTheDevice)
{
    backend.AddMatchingDevice("kt7");
    backend.QueueRead("kt7", std::vector<uint8_t>(64, 1));
    CHidIO io(backend);
    ASSERT_EQ(io.OpenDevice(kVid, kPid), 1);
    uint8_t report[kReportSize] = {};
    uint32_t count = 5;
    EXPECT_EQ(io.ReadReport(report, kReportSize, &count, 100, -1), 0);
    EXPECT_EQ(io.ReadReport(nullptr, kReportSize, &count, 100, 0), 0);
    EXPECT_EQ(io.ReadReport(report, 1, &count, 100, 0), 0);
    EXPECT_EQ(io.WriteReport(report, 0, &count, 100, 0), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(backend.Written("kt7").empty());
    EXPECT_TRUE(backend.ReadTimeouts("kt7").empty());
}

TEST_F(HidIOTest, CloseTwiceAndDestroyCloseEachHandleOnce)
{
    backend.AddMatchingDevice("a-kt7");
    backend.AddMatchingDevice("b-kt7");
    {
        CHidIO io(backend);
        ASSERT_EQ(io.OpenDevice(kVid, kPid), 2);
        EXPECT_EQ(backend.OpenHandles(), 2);
        io.CloseDevice();
        EXPECT_EQ(backend.OpenHandles(), 0);
        EXPECT_EQ(io.DeviceCount(), 2) << "closing keeps the count";
        io.CloseDevice();
        uint8_t report[kReportSize] = {};
        EXPECT_EQ(io.WriteReport(report, kReportSize, nullptr, 100, 0), 0);
    }
    EXPECT_EQ(backend.OpenHandles(), 0);
    EXPECT_TRUE(backend.Written("a-kt7").empty());
}

TEST_F(HidIOTest, NoDeviceThenCloseDoesNothing)
{
    CHidIO io(backend);
    EXPECT_EQ(io.OpenDevice(kVid, kPid), 0);
    io.CloseDevice();
    EXPECT_EQ(io.DeviceCount(), 0);
}

} // namespace
