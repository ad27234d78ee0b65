// kt7-flash run as its own process, as a user or a script runs it: the exit
// code of each ending, each message said once, one update at a time, and
// an update that neither Ctrl-C nor a closed pipe cuts short.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "texts/UserTexts.h"
#include "records/RecordsReading.h"
#include "platform/DisplayWidth.h"
#include "platform/UpdateLock.h"
#include "support/PackageTestFiles.h"

extern char** environ;

namespace {

constexpr auto kGiveUpAfter = std::chrono::seconds(60);
const std::string kSuccessPrefix = "升级成功，可以断开连接，耗时";
const std::string kInterruptNotice = "the update is being finished";

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int CountOf(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

// Polls until `done` holds; false after kGiveUpAfter of real time.
bool WaitFor(const std::function<bool()>& done)
{
    const auto giveUpAt = std::chrono::steady_clock::now() + kGiveUpAfter;
    while (!done()) {
        if (std::chrono::steady_clock::now() > giveUpAt)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// One kt7-flash process with standard output and error in files of `folder`
// (or output into `stdoutFd`), default signal handling, KT7_SIMULATE set, and
// its log and records under the folder.
class FlashProcess {
public:
    FlashProcess(const PackageTempDir& folder, const std::string& name, const std::vector<std::string>& args,
                 const std::string& simulate, int stdoutFd = -1)
        : m_out(folder.File(name + ".out")), m_err(folder.File(name + ".err"))
    {
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        if (stdoutFd >= 0)
            posix_spawn_file_actions_adddup2(&files, stdoutFd, STDOUT_FILENO);
        else
            posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                             0644);
        posix_spawn_file_actions_addopen(&files, STDERR_FILENO, m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

        // Whatever this test program inherited, the child starts with the
        // signals a program started from a shell has.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t signals;
        sigemptyset(&signals);
        posix_spawnattr_setsigmask(&attributes, &signals);
        for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
            sigaddset(&signals, signal);
        posix_spawnattr_setsigdefault(&attributes, &signals);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

        std::vector<std::string> argStrings{KT7_FLASH_PROGRAM};
        argStrings.insert(argStrings.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : argStrings)
            argv.push_back(arg.data());
        argv.push_back(nullptr);

        // The run's log and records stay in the test's folder.
        std::vector<std::string> envStrings{std::string("KT7_SIMULATE=") + simulate,
                                            "XDG_STATE_HOME=" + folder.File("state")};
        for (char** entry = environ; *entry; ++entry)
            if (std::strncmp(*entry, "KT7_SIMULATE=", 13) != 0 && std::strncmp(*entry, "XDG_STATE_HOME=", 15) != 0)
                envStrings.emplace_back(*entry);
        std::vector<char*> envp;
        for (std::string& entry : envStrings)
            envp.push_back(entry.data());
        envp.push_back(nullptr);

        const int error = posix_spawn(&m_pid, argv[0], &files, &attributes, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&files);
        posix_spawnattr_destroy(&attributes);
        if (error != 0) {
            ADD_FAILURE() << "can't start " << argv[0] << ": " << std::strerror(error);
            m_pid = -1;
        }
    }

    ~FlashProcess()
    {
        if (Running()) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }

    void Signal(int signal)
    {
        if (Running())
            kill(m_pid, signal);
    }

    bool Running()
    {
        if (m_pid > 0 && !m_ended && waitpid(m_pid, &m_status, WNOHANG) == m_pid)
            m_ended = true;
        return m_pid > 0 && !m_ended;
    }

    // The exit code, or -1 (with a failure) for a process ended by a signal
    // or one still running after kGiveUpAfter.
    int ExitCode()
    {
        if (m_pid <= 0)
            return -1;
        if (!WaitFor([&] { return !Running(); })) {
            ADD_FAILURE() << "kt7-flash still runs";
            return -1;
        }
        if (WIFSIGNALED(m_status)) {
            ADD_FAILURE() << "kt7-flash ended by signal " << WTERMSIG(m_status);
            return -1;
        }
        return WEXITSTATUS(m_status);
    }

    std::string Out() const { return ReadText(m_out); }
    std::string Err() const { return ReadText(m_err); }

private:
    std::string m_out;
    std::string m_err;
    pid_t m_pid = -1;
    bool m_ended = false;
    int m_status = 0;
};

// Runs kt7-usb-verify on a flash image: true when it holds a whole update
// from `package`.
bool HoldsTheUpdate(const std::string& package, const std::string& image)
{
    const std::string command = std::string(KT7_VERIFY_PROGRAM) + " '" + package + "' '" + image + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs kt7-usb-verify --blank: true when the image is still erased throughout.
bool IsBlank(const std::string& image)
{
    const std::string command = std::string(KT7_VERIFY_PROGRAM) + " --blank '" + image + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A package whose map takes the better part of a second at USB speed, so
// that a signal can be sent while it is written.
PackageSpec SlowMapSpec()
{
    PackageSpec contents = SamplePackageSpec();
    contents.map = PackageArea{PatternBytes(0x10000, 3), 0x40200000u, "D303"};
    contents.mapScrambleLength = 0x100;
    return contents;
}

// A folder with a package and an empty flash folder for the simulator.
struct UpdateFolder {
    explicit UpdateFolder(const PackageSpec& contents = SamplePackageSpec())
    {
        std::string error;
        EXPECT_TRUE(WritePackageFile(package, contents, &error)) << error;
        EXPECT_EQ(mkdir(flash.c_str(), 0755), 0);
    }
    PackageTempDir folder;
    std::string package = folder.File("KT7_Down.dat");
    std::string flash = folder.File("flash");
};

struct EndingCase {
    const char* name;
    const char* simulate;
    const char* package;    // the package file beside the program, if any
    int exitCode;
    const char* saidOnce;   // a text standard output holds exactly once
    bool touchesDevices;    // any report exchanged
};

void PrintTo(const EndingCase& c, std::ostream* out)
{
    *out << c.name;
}

class FlashEndingTest : public ::testing::TestWithParam<EndingCase> {};

TEST_P(FlashEndingTest, ExitCodeAndMessageOnce)
{
    const EndingCase& c = GetParam();
    PackageTempDir folder;
    if (c.package) {
        std::string error;
        ASSERT_TRUE(WritePackageFile(folder.File(c.package), SamplePackageSpec(), &error)) << error;
    }
    const std::string trace = folder.File("trace.txt");
    FlashProcess run(folder, "run", {"update", "--dir", folder.Path()},
                     std::string(c.simulate) + ";reattach=0;trace=" + trace);
    EXPECT_EQ(run.ExitCode(), c.exitCode) << run.Out() << run.Err();
    EXPECT_EQ(CountOf(run.Err(), c.saidOnce), 1) << run.Err();
    EXPECT_EQ(ReadText(trace).empty(), !c.touchesDevices);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, FlashEndingTest,
    ::testing::Values(EndingCase{"package_missing", "", nullptr, 1, kMsgCannotOpenPackage, false},
                      EndingCase{"no_device", "devices=0", "KT7_Down.dat", 2, "无法找到设备", false},
                      EndingCase{"generic_and_specific_devices", "devices=2;release=5512,0100", "KT7_Down.dat", 2,
                                 kMsgMixedDevices, false},
                      EndingCase{"two_specific_releases", "devices=2;release=0100,0200", "KT7_Down0100.dat", 2,
                                 kMsgMixedDevices, false},
                      EndingCase{"boot_loader_refused", "version=Z", "KT7_Down.dat", 3,
                                 "Failed to update in bootloader!", true},
                      EndingCase{"device_gone_in_the_map_erase", "unplug=0@8", "KT7_Down.dat", 4, kUpdateFailedText,
                                 true}),
    [](const ::testing::TestParamInfo<EndingCase>& info) { return info.param.name; });

// Ctrl-C, then SIGTERM, while the map is written: the run goes on to its end,
// says once why it does not stop, and ends as a successful update does.
TEST(FlashSignals, InterruptDuringTheMapFinishesTheUpdate)
{
    UpdateFolder update(SlowMapSpec());
    FlashProcess run(update.folder, "run", {"update", "--dir", update.folder.Path()},
                     "timing=usb;reattach=0;flash=" + update.flash);

    // The map is area 1; its percent lines start once its pages are written.
    std::string beforeSignal;
    ASSERT_TRUE(WaitFor([&] {
        beforeSignal = run.Err();
        const size_t map = beforeSignal.find("Area:1");
        return map != std::string::npos && beforeSignal.find("%完成", map) != std::string::npos;
    })) << run.Err();
    run.Signal(SIGINT);
    EXPECT_EQ(beforeSignal.find("Area:2"), std::string::npos) << "the signal came after the map";
    ASSERT_TRUE(WaitFor([&] { return run.Err().find(kInterruptNotice) != std::string::npos || !run.Running(); }));
    run.Signal(SIGTERM);

    EXPECT_EQ(run.ExitCode(), 0) << run.Out() << run.Err();
    EXPECT_EQ(CountOf(run.Err(), kInterruptNotice), 1) << run.Err();
    EXPECT_EQ(CountOf(run.Err(), kSuccessPrefix), 1) << run.Err();
    // The notice fits an 80-column terminal after the "^C" it echoed.
    std::istringstream lines(run.Err());
    for (std::string line; std::getline(lines, line);) {
        if (line.find(kInterruptNotice) != std::string::npos) {
            EXPECT_LE(DisplayWidth(line) + 2, 79) << line;
        }
    }
    EXPECT_TRUE(HoldsTheUpdate(update.package, update.flash + "/device0.bin"));
}

// `kt7-flash update | head`: the reader is gone before the first line.
TEST(FlashSignals, ClosedOutputDoesNotStopTheUpdate)
{
    UpdateFolder update;
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    close(pipeEnds[0]);
    FlashProcess run(update.folder, "run", {"update", "--dir", update.folder.Path()},
                     "reattach=0;flash=" + update.flash, pipeEnds[1]);
    close(pipeEnds[1]);

    EXPECT_EQ(run.ExitCode(), 0) << run.Err();
    EXPECT_TRUE(HoldsTheUpdate(update.package, update.flash + "/device0.bin"));
}

// Two updates started together on the same devices: one runs, the other
// says why it does not and leaves the devices alone.
TEST(FlashLock, SecondOfTwoRunsAtOnceIsRefused)
{
    UpdateFolder update;
    const std::string simulate = "reattach=0;flash=" + update.flash + ";trace=" + update.folder.File("trace-");
    FlashProcess first(update.folder, "first", {"update", "--dir", update.folder.Path()}, simulate + "first");
    FlashProcess second(update.folder, "second", {"update", "--dir", update.folder.Path()}, simulate + "second");
    const int codes[2] = {first.ExitCode(), second.ExitCode()};
    // Messages and the outcome are on standard error; standard output has the data.
    const std::string outs[2] = {first.Err(), second.Err()};
    const std::string traces[2] = {ReadText(update.folder.File("trace-first")),
                                   ReadText(update.folder.File("trace-second"))};

    ASSERT_TRUE((codes[0] == 0 && codes[1] == 5) || (codes[0] == 5 && codes[1] == 0))
        << codes[0] << " " << codes[1] << "\n" << outs[0] << outs[1];
    const int refused = codes[0] == 5 ? 0 : 1;
    EXPECT_EQ(CountOf(outs[refused], kMsgAnotherUpdateRunning), 1) << outs[refused];
    EXPECT_TRUE(traces[refused].empty()) << "the refused run exchanged reports";
    EXPECT_EQ(CountOf(outs[1 - refused], kSuccessPrefix), 1);
    EXPECT_TRUE(HoldsTheUpdate(update.package, update.flash + "/device0.bin"));
}

// --device picks one of two devices by location: that one holds the whole
// update, the other's flash is as it was (erased).
TEST(FlashDeviceOption, UpdatesOnlyTheChosenDevice)
{
    UpdateFolder update;
    const std::string untouched = update.flash + "/device0.bin";
    {
        std::ofstream erased(untouched, std::ios::binary);
        erased << std::string(8u << 20, '\xFF');
    }
    FlashProcess run(update.folder, "run", {"update", "--dir", update.folder.Path(), "--device", "sim-1"},
                     "devices=2;reattach=0;flash=" + update.flash);
    EXPECT_EQ(run.ExitCode(), 0) << run.Out() << run.Err();
    EXPECT_TRUE(HoldsTheUpdate(update.package, update.flash + "/device1.bin"));
    EXPECT_TRUE(IsBlank(untouched));
}

// Different flash folders are different devices: runs on them go side by side.
TEST(FlashLock, RunsOnDifferentFlashFoldersBothUpdate)
{
    UpdateFolder one;
    UpdateFolder two;
    FlashProcess first(one.folder, "run", {"update", "--dir", one.folder.Path()}, "reattach=0;flash=" + one.flash);
    FlashProcess second(two.folder, "run", {"update", "--dir", two.folder.Path()}, "reattach=0;flash=" + two.flash);
    EXPECT_EQ(first.ExitCode(), 0) << first.Out();
    EXPECT_EQ(second.ExitCode(), 0) << second.Out();
}

// A watch killed outright (SIGKILL, a crash, a power cut) after its first
// device was shown done: that device's record is on disk, whole.
TEST(FlashRecords, AKilledWatchKeepsTheRecordOfTheDeviceShownDone)
{
    UpdateFolder update;
    const std::string records = update.folder.File("records.jsonl");
    FlashProcess run(update.folder, "run", {"update", "--watch", "--dir", update.folder.Path(), "--records", records},
                     "devices=2;arrive=0,3600000;reattach=0;flash=" + update.flash);
    ASSERT_TRUE(WaitFor([&] { return run.Err().find("sim-0  升级成功") != std::string::npos || !run.Running(); }))
        << run.Err();
    run.Signal(SIGKILL);
    ASSERT_TRUE(WaitFor([&] { return !run.Running(); }));

    const std::string text = ReadText(records);
    ASSERT_FALSE(text.empty()) << run.Err();
    EXPECT_EQ(text.back(), '\n') << "the line is whole";
    const RecordsFileContents read = ReadRecordsFile(records);
    EXPECT_TRUE(read.warnings.empty());
    ASSERT_EQ(read.records.size(), 1u) << text;
    EXPECT_EQ(read.records[0].location, "sim-0");
    EXPECT_EQ(read.records[0].result, "success");
}

} // namespace
