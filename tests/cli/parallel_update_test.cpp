#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "CliRun.h"
#include "HoldsTheUpdate.h"
#include "support/PackageTestFiles.h"

namespace {

using ::testing::HasSubstr;

// The line of text that begins with start, without its newline; empty if none.
std::string LineStartingWith(const std::string& text, const std::string& start)
{
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find('\n', at), text.size());
        if (text.compare(at, start.size(), start) == 0)
            return text.substr(at, end - at);
        at = end + 1;
    }
    return {};
}

// A second kind of device: another release number, its own package with other
// contents.
PackageSpec SpecialSpec()
{
    PackageSpec contents = SamplePackageSpec();
    contents.main = PackageArea{PatternBytes(0x1800, 9), 0x40010000u, "M909"};
    return contents;
}

class ParallelUpdate : public testing::Test {
protected:
    void SetUp() override
    {
        WriteBytesToFile(m_dir.File("KT7_Down.dat"), BuildPackageFile(SamplePackageSpec()));
        WriteBytesToFile(m_dir.File("KT7_Down0123.dat"), BuildPackageFile(SpecialSpec()));
    }
    // Devices 0 and 1 are generic, 2 and 3 take the special package.
    CliRun Run(const std::string& faults, bool verify = false)
    {
        // Every run starts from blank devices.
        for (int device = 0; device < 4; ++device)
            std::remove(Image(device).c_str());
        const std::string simulate = "devices=4;release=5512,5512,0123;reattach=0;flash=" + m_flash.Path() + faults;
        std::vector<std::string> args = {"update", "--parallel", "--dir", m_dir.Path()};
        if (verify)
            args.push_back("--verify");
        return RunCli(args, simulate, m_state.Path() + "state");
    }
    std::string PackageOf(int device) const
    {
        return m_dir.File(device < 2 ? "KT7_Down.dat" : "KT7_Down0123.dat");
    }
    std::string Image(int device) const { return m_flash.File("device" + std::to_string(device) + ".bin"); }

    PackageTempDir m_dir;
    PackageTempDir m_flash;
    PackageTempDir m_state;
};

TEST_F(ParallelUpdate, DevicesOfTwoKindsEachGetTheirOwnPackage)
{
    const CliRun run = Run("");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (int device = 0; device < 4; ++device) {
        SCOPED_TRACE(device);
        EXPECT_TRUE(HoldsTheUpdate(PackageOf(device), Image(device)));
        EXPECT_FALSE(HoldsTheUpdate(PackageOf(3 - device), Image(device))) << "the other kind's package";
    }
    EXPECT_THAT(run.out, HasSubstr("KT7_Down0123.dat"));
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 5) << "a heading and a row per device:\n" << run.out;
    EXPECT_THAT(run.out, testing::StartsWith("位置")) << "headings in the language of the results";
}

// A device's time in the table is the one its status line gave at the end.
TEST_F(ParallelUpdate, TheTableGivesEachDeviceTheTimeItsStatusLineGave)
{
    const CliRun run = Run("");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (int device = 0; device < 4; ++device) {
        const std::string location = "sim-" + std::to_string(device);
        SCOPED_TRACE(location);
        const std::string said = location + "  升级成功，可以断开连接，耗时";
        const size_t at = run.err.find(said);
        ASSERT_NE(at, std::string::npos) << run.err;
        const size_t from = at + said.size();
        const std::string took = run.err.substr(from, run.err.find_first_of(" \t\r\n", from) - from);
        const std::string row = LineStartingWith(run.out, location + " ");
        ASSERT_FALSE(row.empty()) << run.out;
        EXPECT_THAT(row, testing::EndsWith("  " + took)) << run.out;
    }
}

TEST_F(ParallelUpdate, AnUnpluggedDeviceFailsAloneAndGivesTheExitCode)
{
    struct Case {
        const char* what;
        const char* faults;
        int failing;
        int exitCode;
    };
    // Device 2 goes in the middle of its areas, or never comes back after the
    // reset; the others go on to the end either way.
    const Case cases[] = {{"unplugged while writing", ";unplug=2@60", 2, 4},
                          {"not back after the reset", ";noreattach=1", 1, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CliRun run = Run(c.faults);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        for (int device = 0; device < 4; ++device)
            EXPECT_EQ(HoldsTheUpdate(PackageOf(device), Image(device)), device != c.failing) << device;
        EXPECT_THAT(run.out, HasSubstr("升级失败 (4)"));
    }
}

// Device 1 stores a page of its main program with a bit flipped: the read-back
// fails that device alone, with its message; the others hold the update.
TEST_F(ParallelUpdate, AVerifiedRunFailsOnlyTheDeviceThatHoldsSomethingElse)
{
    const CliRun run = Run(";corrupt=1@260", true);
    EXPECT_EQ(run.exitCode, 4) << run.err;
    for (int device = 0; device < 4; ++device)
        EXPECT_EQ(HoldsTheUpdate(PackageOf(device), Image(device)), device != 1) << device;
    EXPECT_THAT(run.err, HasSubstr("sim-1: 区域3数据写入失败，请检查USB连接！"));
    std::istringstream table(run.out);
    std::string row;
    std::getline(table, row);  // the heading
    for (int device = 0; device < 4; ++device) {
        ASSERT_TRUE(std::getline(table, row));
        EXPECT_THAT(row, HasSubstr(device == 1 ? "升级失败 (4)" : "升级成功")) << row;
        if (device == 1) {
            EXPECT_THAT(row, HasSubstr("区域3数据写入失败，请检查USB连接！")) << "the message it was shown";
        }
    }
}

} // namespace
