#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "CliRun.h"
#include "HoldsTheUpdate.h"
#include "platform/Clock.h"
#include "platform/Diagnostics.h"
#include "platform/DisplayWidth.h"
#include "platform/Sha256.h"
#include "platform/UpdateLock.h"
#include "records/RecordsReading.h"
#include "support/PackageTestFiles.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

constexpr char kStoppingNotice[] = "the watch ends once the devices being updated are done";

// Virtual time, with a hook after every sleep: where a test acts as the
// watch's time passes. `onWatchSleep` runs on the thread that started the
// clock's run (the watch loop), `onWorkerSleep` on every other thread.
// While `holdWatch` is set, the watch's sleeps take a real millisecond and
// no virtual time: the watch goes round without its time moving on.
class HookedClock final : public Clock {
public:
    uint32_t TickCount() override { return m_time.TickCount(); }
    void Sleep(uint32_t ms) override
    {
        const bool watch = std::this_thread::get_id() == m_owner;
        if (watch && holdWatch)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        else
            m_time.Sleep(ms);
        if (watch) {
            if (onWatchSleep)
                onWatchSleep();
        } else if (onWorkerSleep) {
            onWorkerSleep(ms);
        }
    }
    uint64_t NowMs() const { return m_time.NowMs(); }

    std::function<void()> onWatchSleep;
    std::function<void(uint32_t)> onWorkerSleep;
    std::atomic<bool> holdWatch{false};

private:
    VirtualClock m_time;
    const std::thread::id m_owner = std::this_thread::get_id();
};

// What the run has written to standard error so far (caught in a file).
std::string ErrorOutputSoFar()
{
    std::string text;
    char buffer[4096];
    for (off_t offset = 0;;) {
        const ssize_t got = pread(STDERR_FILENO, buffer, sizeof buffer, offset);
        if (got <= 0)
            return text;
        text.append(buffer, static_cast<size_t>(got));
        offset += got;
    }
}

// Ctrl-C, to the process as a terminal sends it.
void Interrupt()
{
    kill(getpid(), SIGINT);
}

int Occurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class WatchUpdate : public testing::Test {
protected:
    void SetUp() override { WriteBytesToFile(Package(), BuildPackageFile(SamplePackageSpec())); }
    CliRun Run(const std::string& devices, HookedClock& clock, const std::vector<std::string>& more = {})
    {
        const std::string simulate = devices + ";reattach=0;flash=" + m_flash.Path();
        std::vector<std::string> args = {"update", "--watch", "--dir", m_dir.Path()};
        args.insert(args.end(), more.begin(), more.end());
        return RunCli(args, simulate, m_state.Path() + "state", clock);
    }
    std::string Package() const { return m_dir.File("KT7_Down.dat"); }
    std::string Image(int device) const { return m_flash.File("device" + std::to_string(device) + ".bin"); }
    bool ImageExists(int device) const
    {
        std::FILE* file = std::fopen(Image(device).c_str(), "rb");
        if (file)
            std::fclose(file);
        return file != nullptr;
    }
    // Interrupts the watch once its count line reads `count`, after
    // `extraMs` more of its time; or after an hour, so that a watch that
    // never gets there still ends and the test fails instead of hanging.
    void InterruptWhenCounted(HookedClock& clock, const std::string& count, uint64_t extraMs = 0)
    {
        clock.onWatchSleep = [this, &clock, count, extraMs] {
            if (m_interrupted)
                return;
            if (m_countedAtMs == 0 && ErrorOutputSoFar().find(count) != std::string::npos)
                m_countedAtMs = clock.NowMs();
            const bool counted = m_countedAtMs != 0 && clock.NowMs() >= m_countedAtMs + extraMs;
            if (counted || clock.NowMs() > 3600 * 1000) {
                m_interrupted = true;
                Interrupt();
            }
        };
    }

    PackageTempDir m_dir;
    PackageTempDir m_flash;
    PackageTempDir m_state;
    bool m_interrupted = false;
    uint64_t m_countedAtMs = 0;
};

TEST_F(WatchUpdate, DevicesArrivingOneAfterAnotherAreEachUpdatedOnce)
{
    HookedClock clock;
    InterruptWhenCounted(clock, "3 updated, 0 failed, 0 in progress");
    const CliRun run = Run("devices=3;arrive=0,3000,9000", clock);

    EXPECT_EQ(run.exitCode, 0) << run.err;
    for (int device = 0; device < 3; ++device) {
        SCOPED_TRACE(device);
        EXPECT_TRUE(HoldsTheUpdate(Package(), Image(device)));
        const std::string location = "sim-" + std::to_string(device);
        EXPECT_EQ(Occurrences(run.out, location + " "), 1) << "one row per update:\n" << run.out;
        EXPECT_EQ(Occurrences(run.err, location + "  升级成功  "), 1) << run.err;
    }
    // Nothing was being written when Ctrl-C came: no notice, no waiting.
    EXPECT_THAT(run.err, Not(HasSubstr(kStoppingNotice)));
}

// Each device plugged in gets the package of its own kind, as it is then:
// a generic one, then one whose release number takes a package of its own.
TEST_F(WatchUpdate, DevicesOfAnotherKindPluggedInLaterGetTheirOwnPackage)
{
    PackageSpec special = SamplePackageSpec();
    special.updateTime = "special";
    const std::string specialPackage = m_dir.File("KT7_Down0123.dat");
    WriteBytesToFile(specialPackage, BuildPackageFile(special));
    HookedClock clock;
    InterruptWhenCounted(clock, "2 updated, 0 failed, 0 in progress");
    const CliRun run = Run("devices=2;release=5512,0123;arrive=0,3000", clock);

    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(HoldsTheUpdate(Package(), Image(0)));
    EXPECT_TRUE(HoldsTheUpdate(specialPackage, Image(1))) << "the shifted codes and the device's own package";
    EXPECT_THAT(run.out, HasSubstr("KT7_Down0123.dat"));
}

// With --expect-sha256, a device whose kind takes a package not named is
// refused that package and left untouched; the watch goes on.
TEST_F(WatchUpdate, ADeviceWhosePackageIsNotExpectedIsLeftUntouched)
{
    PackageSpec special = SamplePackageSpec();
    special.updateTime = "special";
    WriteBytesToFile(m_dir.File("KT7_Down0123.dat"), BuildPackageFile(special));
    const std::string generic = Sha256Hex(*Sha256OfFile(Package()));
    HookedClock clock;
    InterruptWhenCounted(clock, "1 updated, 1 failed, 0 in progress");
    const CliRun run = Run("devices=2;release=5512,0123;arrive=0,3000", clock, {"--expect-sha256", generic});

    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_TRUE(HoldsTheUpdate(Package(), Image(0)));
    EXPECT_FALSE(ImageExists(1)) << "the refused device was not written";
    EXPECT_THAT(run.err, HasSubstr("KT7_Down0123.dat is not the package expected"));
}

TEST_F(WatchUpdate, InterruptWhileADeviceIsWrittenWaitsForItAndStartsNoOther)
{
    HookedClock clock;
    // Ctrl-C comes once device 0 has been reset (its first settling wait);
    // its worker goes on only after the watch has seen the interrupt and
    // then watched long enough for device 1 to have come. The watch's time
    // stands still past 10 s until it has shown that it saw the interrupt.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    const auto noticeShown = [&] {
        return ErrorOutputSoFar().find(kStoppingNotice) != std::string::npos ||
               std::chrono::steady_clock::now() > giveUp;
    };
    clock.onWatchSleep = [&] { clock.holdWatch = clock.NowMs() >= 10000 && !noticeShown(); };
    std::atomic<bool> sent{false};
    clock.onWorkerSleep = [&](uint32_t ms) {
        if (ms < 1000 || sent.exchange(true))
            return;
        Interrupt();
        while (!(noticeShown() && clock.NowMs() >= 25000) && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    const CliRun run = Run("devices=2;arrive=0,20000", clock);

    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr(kStoppingNotice));
    EXPECT_TRUE(HoldsTheUpdate(Package(), Image(0))) << "the device being written is finished";
    EXPECT_FALSE(ImageExists(1)) << "a device that came after Ctrl-C is not touched";
    EXPECT_THAT(run.out, Not(HasSubstr("sim-1"))) << run.err;
    // The watch's banner and its notice fit an 80-column terminal; the
    // notice's first line with the "^C" the terminal echoed before it.
    std::istringstream lines(run.err);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(DisplayWidth(line) + (line.find(kStoppingNotice) != std::string::npos ? 2 : 0), 79) << line;
}

TEST_F(WatchUpdate, AFailedDeviceStillPluggedInIsNotTriedAgain)
{
    HookedClock clock;
    // Device 0 stops answering in the middle of its update and stays plugged
    // in; device 1 comes later and goes through. Ten listings after both are
    // done, Ctrl-C.
    InterruptWhenCounted(clock, "1 updated, 1 failed, 0 in progress", 5000);
    const CliRun run = Run("devices=2;arrive=0,5000;stall=0@40", clock);

    EXPECT_EQ(run.exitCode, 4) << run.err;
    EXPECT_EQ(Occurrences(run.out, "sim-0 "), 1) << run.out;
    EXPECT_THAT(run.out, HasSubstr("升级失败 (4)"));
    EXPECT_TRUE(HoldsTheUpdate(Package(), Image(1)));
    EXPECT_EQ(Occurrences(run.err, "sim-0  升级失败 (4)  "), 1) << "device 0 was started again:\n" << run.err;
    EXPECT_THAT(run.err, Not(HasSubstr("1 updated, 1 failed, 1 in progress"))) << run.err;
}

TEST_F(WatchUpdate, WithDeviceOnlyThatLocationIsUpdatedAndNeedNotBeThereAtTheStart)
{
    HookedClock clock;
    InterruptWhenCounted(clock, "1 updated, 0 failed, 0 in progress", 5000);
    const CliRun run = Run("devices=2;arrive=0,3000", clock, {"--device", "sim-1"});

    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(HoldsTheUpdate(Package(), Image(1)));
    EXPECT_FALSE(ImageExists(0)) << "a device at another location is not touched";
    EXPECT_THAT(run.out, Not(HasSubstr("sim-0")));
}

TEST_F(WatchUpdate, NoDeviceComingEndsWithSuccessAndNoTable)
{
    HookedClock clock;
    clock.onWatchSleep = [&] {
        if (clock.NowMs() == 10000)
            Interrupt();
    };
    const CliRun run = Run("devices=0", clock);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
}

TEST_F(WatchUpdate, AnotherUpdateRunningRefusesTheWatch)
{
    NullDiagnostics log;
    UpdateLock other(m_flash.File("kt7-update.lock"), log);
    ASSERT_TRUE(other.Held());
    HookedClock clock;
    const CliRun run = Run("devices=1", clock);
    EXPECT_EQ(run.exitCode, 5) << run.err;
    EXPECT_FALSE(ImageExists(0));
}

// A device that drops off once during its update is tried again when it is
// back, and the watch counts it once, as updated; its records say both
// attempts. A device that comes later is not held up by it.
TEST_F(WatchUpdate, ADeviceThatFailedOnceIsTriedAgainWhenItIsBack)
{
    HookedClock clock;
    InterruptWhenCounted(clock, "2 updated, 0 failed, 0 in progress");
    const CliRun run = Run("devices=2;arrive=0,20000;drop=0@60", clock, {"--retry", "1"});

    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(HoldsTheUpdate(Package(), Image(0)));
    EXPECT_THAT(run.err, HasSubstr("sim-0: failed; trying again (attempt 2 of 2)"));
    EXPECT_THAT(run.err, HasSubstr("(attempt 2)"));
    EXPECT_EQ(Occurrences(run.out, "sim-0 "), 2) << "a row per attempt:\n" << run.out;

    const RecordsFileContents read = ReadRecordsFile(m_state.Path() + "state/kt7-updater/records.jsonl");
    std::vector<std::string> attempts;
    for (const DeviceRecord& record : read.records)
        attempts.push_back(record.location + " " + record.result + " " + std::to_string(record.attempt));
    std::sort(attempts.begin(), attempts.end());
    EXPECT_EQ(attempts, (std::vector<std::string>{"sim-0 failed 1", "sim-0 success 2", "sim-1 success 1"}));
}

TEST(WatchUsage, IsAnOptionOfUpdate)
{
    for (const char* verb : {"list", "info"}) {
        SCOPED_TRACE(verb);
        const CliRun run = RunCli({verb, "--watch"}, "devices=1", testing::TempDir() + "watch-usage-state");
        EXPECT_EQ(run.exitCode, 64);
        EXPECT_THAT(run.err, HasSubstr("--watch goes with update"));
    }
}

} // namespace
