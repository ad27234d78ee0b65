#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/DeviceResult.h"
#include "engine/RunLog.h"
#include "engine/UpdateRun.h"
#include "support/EngineHarness.h"

namespace {

HidDeviceInfo Device(const char* location)
{
    HidDeviceInfo device;
    device.location = location;
    device.releaseNumber = 0x5512;
    return device;
}

// Devices updated in step share one run; a failure on one of them stops the
// others, which must not be told they failed with its message.
TEST(InStepResults, TheDeviceTheFailureNamesFailedAndTheOthersWereStopped)
{
    const std::vector<HidDeviceInfo> devices = {Device("1-1"), Device("1-2"), Device("1-3")};
    const DeviceFailure onSecond{"write of pages 300-301", 1, "1-2", FailureCause::DeviceGone, "gone"};
    const DeviceFailure onNone{"update", -1, "", FailureCause::NoDevice, "no device attached"};
    const DeviceFailure onStranger{"write of page 3", 0, "9-9", FailureCause::NoAnswer, "no answer"};
    struct Case {
        const char* shows;
        bool succeeded;
        std::optional<DeviceFailure> failure;
        std::vector<DeviceResultKind> kinds;
    };
    using K = DeviceResultKind;
    const Case cases[] = {
        {"success updates them all", true, std::nullopt, {K::Updated, K::Updated, K::Updated}},
        {"a failure on one stops the others", false, onSecond, {K::Stopped, K::Failed, K::Stopped}},
        {"a failure of no single device fails them all", false, onNone, {K::Failed, K::Failed, K::Failed}},
        {"a failure without a known place fails them all", false, std::nullopt, {K::Failed, K::Failed, K::Failed}},
        {"a device not of the run names none of them", false, onStranger, {K::Failed, K::Failed, K::Failed}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shows);
        const std::vector<DeviceResult> results = InStepResults(devices, c.succeeded, "区域1数据写入失败", c.failure);
        ASSERT_EQ(results.size(), devices.size());
        for (size_t i = 0; i < results.size(); ++i) {
            EXPECT_EQ(results[i].kind, c.kinds[i]) << i;
            if (results[i].kind == K::Failed) {
                EXPECT_EQ(results[i].message, "区域1数据写入失败");
            }
            if (results[i].kind == K::Stopped) {
                EXPECT_EQ(results[i].cause, "1-2") << "names the device that failed";
            }
        }
    }
}

// A whole run in step on two devices, the second unplugged while written:
// the log starts with what is updated and ends with a line per device.
TEST(RunLog, SaysWhatWasUpdatedAndHowItEndedForEachDevice)
{
    EngineHarness harness("devices=2;unplug=1@60");
    ASSERT_TRUE(harness.Install(ThreeAreaSpec()));
    const std::vector<HidDeviceInfo> devices = harness.devices.List();
    LogRunStart(harness.diagnostics, "kt7-flash", harness.Package(), devices, 0, false);
    RunWorker(harness);
    LogDeviceResults(harness.diagnostics,
                     InStepResults(devices, false, harness.job.progress.m_failureMessage, harness.job.failure));
    const std::string log = harness.diagnostics.Text();
    EXPECT_EQ(log.rfind("kt7-flash " KT7_VERSION ": update of 2 devices, verify off\nPackage: (in memory)", 0), 0u)
        << log;
    EXPECT_NE(log.find("main M101, voice V202, data D303\nDevice 0: sim-0, serial -, release 5512\n"
                       "Device 1: sim-1, serial -, release 5512\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Result: sim-0, serial -, release 5512: stopped unfinished, because the device at sim-1 "
                       "failed\nResult: sim-1, serial -, release 5512: FAILED: 区域1数据写入失败，请检查USB连接！ "
                       "(write of pages 8192-8223 on device 1 (sim-1): the device left the bus (unplugged?) at the "
                       "data for page 8203)\n"),
              std::string::npos)
        << log;
}

// A worker of a run side by side has one device, numbered by its place in
// the run, as its failures are.
TEST(RunLog, NumbersAWorkersDeviceAsItsFailuresDo)
{
    EngineHarness harness("devices=1");
    ASSERT_TRUE(harness.Install(ThreeAreaSpec()));
    LogRunStart(harness.diagnostics, "kt7-flash", harness.Package(), harness.devices.List(), 2, false);
    EXPECT_THAT(harness.diagnostics.Text(), testing::HasSubstr("\nDevice 2: sim-0, serial -, release 5512\n"));
}

} // namespace
