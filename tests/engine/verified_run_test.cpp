#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/AreaProgramming.h"
#include "texts/UserTexts.h"
#include "engine/PageVerifier.h"
#include "engine/ProgressState.h"
#include "package/Package.h"
#include "support/EngineHarness.h"

namespace {

using ::testing::HasSubstr;

// Reports device 0 exchanges in a verified run of ThreeAreaSpec(): those of
// the unverified run, with a read-back after each write: map read 142-270,
// voice read 374-470, main read 622-766, check-code read 778-782, descriptor
// read 794-798; end 799.
constexpr uint64_t kReportsOfAVerifiedRun = 799;

struct RunSeen {
    std::vector<int> percents;
    uint32_t remainAtEnd = 0;
};

RunSeen RunThreeAreas(bool verify, const char* simulate = "devices=2")
{
    EngineHarness harness(simulate);
    EXPECT_TRUE(harness.Install(ThreeAreaSpec()));
    harness.job.progress.m_verify = verify;
    RunWorker(harness);
    EXPECT_TRUE(harness.Messages().empty());
    EXPECT_EQ(harness.job.progress.m_outcome.load(), UpdateOutcome::Success);
    return {harness.page.Percents(), harness.job.progress.m_nRemainMs};
}

TEST(VerifiedRun, PercentRisesThroughTheReadsToAHundred)
{
    for (bool verify : {false, true}) {
        SCOPED_TRACE(verify ? "verified" : "unverified");
        const RunSeen run = RunThreeAreas(verify);
        EXPECT_TRUE(NeverDecreases(run.percents));
        ASSERT_FALSE(run.percents.empty());
        EXPECT_EQ(run.percents.back(), 100);
    }
    // The reads are counted in the total: the bar reaches 100 only with the
    // control blocks (written and read on each of two devices), not halfway
    // through the run.
    const RunSeen verified = RunThreeAreas(true);
    EXPECT_LE(std::count(verified.percents.begin(), verified.percents.end(), 100), 8);
}

// The first estimate, as area programming sets it before the first erase
// (which fails here: no device answers it).
uint32_t FirstEstimate(bool verify, uint32_t* steps)
{
    EngineHarness harness("devices=0");
    EXPECT_TRUE(harness.Install(ThreeAreaSpec()));
    harness.devices.m_deviceCount = 2;
    harness.job.progress.m_verify = verify;
    uint32_t lengths[3] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    uint32_t sums[3] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    EXPECT_EQ(ProgramAreas(harness.devices, harness.Package(), harness.job.progress, harness.page, lengths, sums), -1);
    *steps = (harness.Package().length - kPackageHeaderSize) / 1024 * 2;
    return harness.job.progress.m_nRemainMs;
}

TEST(VerifiedRun, EstimateGrowsByTheReadsAndTheyUseItUp)
{
    uint32_t steps = 0;
    const uint32_t plain = FirstEstimate(false, &steps);
    EXPECT_EQ(FirstEstimate(true, &steps), plain + steps * kReadMsPerStep);

    // What the reads added they take off again as they go, up to the steps
    // the first total leaves out (the map's random block and the two blocks,
    // on each of two devices: 96 ms here).
    const RunSeen plainRun = RunThreeAreas(false);
    const RunSeen verifiedRun = RunThreeAreas(true);
    EXPECT_NEAR(double(verifiedRun.remainAtEnd), double(plainRun.remainAtEnd), 128.0);
}

TEST(VerifiedRun, ReportCountsOfAWholeRunMatchTheTable)
{
    EngineHarness harness("devices=1");
    ASSERT_TRUE(harness.Install(ThreeAreaSpec()));
    harness.job.progress.m_verify = true;
    RunWorker(harness);
    ASSERT_TRUE(harness.Messages().empty());
    EXPECT_EQ(harness.Backend().ReportCount(0), kReportsOfAVerifiedRun);
}

// A device that does not answer a read-back, or answers with other bytes,
// fails the run with the message of what was being read.
TEST(VerifiedRun, AReadBackThatFailsEndsWithTheMessageOfItsAreaOrBlock)
{
    struct Case {
        const char* shows;
        const char* simulate;
        std::string message;
        const char* logged;
    };
    const Case cases[] = {
        {"gone before the map read", "unplug=0@141", AreaWriteFailedMessage(1),
         "ERROR: read-back of area 1 (map) on device 0 (sim-0): the device left the bus (0 devices attached, 1 "
         "expected)\n"},
        {"map read command not taken", "stall=0@141", AreaWriteFailedMessage(1),
         "ERROR: read-back of area 1 (map) on device 0 (sim-0): sending the read command failed\n"},
        {"map read cut off", "stall=0@150", AreaWriteFailedMessage(1),
         "ERROR: read-back of area 1 (map) on device 0 (sim-0): answered 512 of 8192 bytes, then nothing from page "
         "8194, byte 0 on within 5000 ms\n"},
        {"voice read cut off", "stall=0@400", AreaWriteFailedMessage(2),
         "ERROR: read-back of area 2 (voice) on device 0 (sim-0): answered 1664 of 6144 bytes, then nothing from "
         "page 4102, byte 128 on within 5000 ms\n"},
        {"main read cut off", "stall=0@700", AreaWriteFailedMessage(3),
         "ERROR: read-back of area 3 (main program) on device 0 (sim-0): answered 4992 of 9216 bytes, then nothing "
         "from page 275, byte 128 on within 5000 ms\n"},
        {"check-code read cut off", "stall=0@779", kMsgCheckCodeWriteFailed,
         "ERROR: read-back of check-code block on device 0 (sim-0): answered 64 of 256 bytes, then nothing from "
         "page 160, byte 64 on within 5000 ms\n"},
        {"descriptor read cut off", "stall=0@795", kMsgDescriptorWriteFailed,
         "ERROR: read-back of program descriptor block on device 0 (sim-0): answered 64 of 256 bytes, then nothing "
         "from page 128, byte 64 on within 5000 ms\n"},
        {"second device differs", "devices=2;corrupt=1@257", AreaWriteFailedMessage(3),
         "ERROR: read-back of area 3 (main program) on device 1 (sim-1): differs at page 257, byte 128\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shows);
        EngineHarness harness(c.simulate);
        ASSERT_TRUE(harness.Install(ThreeAreaSpec()));
        harness.job.progress.m_verify = true;
        RunWorker(harness);
        EXPECT_EQ(harness.Messages(), std::vector<std::string>{c.message});
        EXPECT_EQ(harness.job.progress.m_outcome.load(), UpdateOutcome::UpdateFailed);
        EXPECT_THAT(harness.diagnostics.Text(), HasSubstr(c.logged));
        EXPECT_TRUE(NeverDecreases(harness.page.Percents()));
    }
}

} // namespace
