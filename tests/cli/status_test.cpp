#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "CliRun.h"
#include "hid/Protocol.h"
#include "platform/Clock.h"
#include "platform/Diagnostics.h"
#include "platform/UpdateLock.h"
#include "support/PackageTestFiles.h"

namespace {

using ::testing::HasSubstr;

constexpr char kNeverWritten[] =
    "holds no package (the check-code block is erased, the program descriptor block is erased)";

// Devices whose flash lasts from run to run (flash=), updated and looked at
// with kt7-flash as a dealer would.
class DeviceStatus : public CliPackageFolder {
protected:
    // `startMs`: the virtual time the run starts at, which seeds the map's
    // random block.
    CliRun Update(const std::string& folder, const std::string& simulate, std::vector<std::string> more = {},
                  uint64_t startMs = 0)
    {
        std::vector<std::string> args = {"update", "--dir", folder};
        args.insert(args.end(), more.begin(), more.end());
        VirtualClock clock(startMs);
        return RunCli(args, Simulate(simulate), StateHome(), clock);
    }
    CliRun Status(const std::string& simulate, std::vector<std::string> more = {})
    {
        std::vector<std::string> args = {"status", "--dir", m_dir.Path()};
        args.insert(args.end(), more.begin(), more.end());
        return RunCli(args, Simulate(simulate), StateHome());
    }
    std::string Simulate(const std::string& simulate) const
    {
        return simulate + ";reattach=0;flash=" + m_flash.Path();
    }
    std::string Log() const
    {
        return ReadWholeFile((std::filesystem::path(StateHome()) / "kt7-updater" / "kt7-updater.log").string());
    }
    // A folder with `contents` as its KT7_Down.dat.
    std::string OtherFolder(const PackageSpec& contents)
    {
        WriteBytesToFile(m_other.File("KT7_Down.dat"), BuildPackageFile(contents));
        return m_other.Path();
    }

    PackageTempDir m_flash;
    PackageTempDir m_other;
};

// Two devices through a dealer's day: blank, one updated, both given another
// package, both given this one again.
TEST_F(DeviceStatus, SaysWhatEachDeviceHoldsBeforeAndAfterUpdates)
{
    CliRun status = Status("devices=2");
    EXPECT_EQ(status.exitCode, 6) << status.err;
    EXPECT_EQ(status.out, "sim-0  release 5512  " + std::string(kNeverWritten) + "\n" +
                              "sim-1  release 5512  " + kNeverWritten + "\n");

    ASSERT_EQ(Update(m_dir.Path(), "devices=2", {"--device", "sim-0"}).exitCode, 0);
    status = Status("devices=2");
    EXPECT_EQ(status.exitCode, 6) << status.err;
    EXPECT_EQ(status.out, "sim-0  release 5512  holds KT7_Down.dat\n"
                          "sim-1  release 5512  " + std::string(kNeverWritten) + "\n");

    // Another main program of the same length, and another voice length:
    // the values that differ are named, and only those.
    PackageSpec other = SamplePackageSpec();
    other.main = PackageArea{PatternBytes(0x1000, 7), 0x40010000u, "M102"};
    other.voice = PackageArea{PatternBytes(0x700, 8), 0x40020000u, "V202"};
    ASSERT_EQ(Update(OtherFolder(other), "devices=2").exitCode, 0);
    status = Status("devices=2");
    EXPECT_EQ(status.exitCode, 6) << status.err;
    const std::string another =
        "holds another package, not KT7_Down.dat (differs in the main program sum, the voice length and sum)\n";
    EXPECT_EQ(status.out, "sim-0  release 5512  " + another + "sim-1  release 5512  " + another);

    ASSERT_EQ(Update(m_dir.Path(), "devices=2").exitCode, 0);
    status = Status("devices=2");
    EXPECT_EQ(status.exitCode, 0) << status.err;
    EXPECT_EQ(status.out, "sim-0  release 5512  holds KT7_Down.dat\n"
                          "sim-1  release 5512  holds KT7_Down.dat\n");
    EXPECT_EQ(status.err.find("详细信息见日志"), std::string::npos) << status.err;
}

// The update writes the control blocks after every area, so a failed update
// leaves the blocks of what the device held before. A first update leaves
// them erased. Over a package it held, the map's sum tells when the package
// has a map (the new update's random block is the map's first page); the
// unfinished area's first or last page tells in any case.
TEST_F(DeviceStatus, AfterAFailedUpdate)
{
    PackageSpec noMap = SamplePackageSpec();
    noMap.map.reset();
    const std::string withoutMap = OtherFolder(noMap);
    struct Case {
        const char* shows;
        std::string folder;
        bool heldBefore;
        uint32_t failAfter;  // reports: in the voice area with a map, the main program area without
        std::string says;
    };
    const Case cases[] = {
        {"a first update", m_dir.Path(), false, 60, kNeverWritten},
        {"again, with a map", m_dir.Path(), true, 60,
         "holds another package, not KT7_Down.dat (differs in the map sum)"},
        {"again, without a map", withoutMap, true, 60,
         "holds KT7_Down.dat's control blocks, but the main program area differs from the package's at its "
         "first or last page; update it again"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shows);
        std::filesystem::remove(m_flash.File("device0.bin"));
        if (c.heldBefore) {
            ASSERT_EQ(Update(c.folder, "devices=1").exitCode, 0);
        }
        // Loaded at another time than before: another random block.
        ASSERT_EQ(Update(c.folder, "devices=1;unplug=0@" + std::to_string(c.failAfter), {}, 1000).exitCode, 4);
        const CliRun status = RunCli({"status", "--dir", c.folder}, Simulate("devices=1"), StateHome());
        EXPECT_EQ(status.exitCode, 6) << status.err;
        EXPECT_EQ(status.out, "sim-0  release 5512  " + c.says + "\n");
    }
}

// Whatever a device holds, status sends it READ commands and nothing else,
// under the device's own command set; with --device only to that device.
TEST_F(DeviceStatus, OnlyReadsUnderEachDevicesCommandSet)
{
    WriteBytesToFile(m_dir.File("KT7_Down0123.dat"), BuildPackageFile(SamplePackageSpec()));
    ASSERT_EQ(Update(m_dir.Path(), "devices=2;release=5512,0123", {"--parallel"}).exitCode, 0);
    struct Case {
        const char* shows;
        std::vector<std::string> args;
        std::vector<int> read;  // devices read, in order
    };
    const Case cases[] = {
        {"every device", {}, {0, 1}},
        {"--device", {"--device", "sim-1"}, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shows);
        const std::string trace = m_state.File("trace.txt");
        const CliRun status = Status("devices=2;release=5512,0123;trace=" + trace, c.args);
        EXPECT_EQ(status.exitCode, 0) << status.err;
        std::istringstream lines(ReadWholeFile(trace));
        std::vector<int> readFrom;
        std::vector<uint32_t> pages;
        for (std::string line; std::getline(lines, line);) {
            if (!line.starts_with("W "))
                continue;
            const int device = std::stoi(line.substr(2));
            const std::string hex = line.substr(line.find(' ', 2) + 1);
            uint8_t report[kReportSize] = {};
            for (size_t i = 0; i < kReportSize && 2 * i + 1 < hex.size(); ++i)
                report[i] = static_cast<uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
            CommandPacket packet;
            ASSERT_TRUE(ParseCommandReport(report, &packet)) << "not a command: " << line;
            EXPECT_EQ(packet.code, device == 0 ? 0xA2 : 0xE2) << line;
            EXPECT_EQ(packet.arg2, 1u) << "one page at a time";
            if (readFrom.empty() || readFrom.back() != device)
                readFrom.push_back(device);
            if (device == 1)
                pages.push_back(packet.arg1);
        }
        EXPECT_EQ(readFrom, c.read);
        // The check-code block, the descriptor block, the map's first page;
        // as the blocks name the package, the first and last pages of the
        // main program and voice areas and the map's last page.
        EXPECT_EQ(pages, (std::vector<uint32_t>{160, 128, 768, 256, 271, 512, 519, 772}));
    }
}

TEST_F(DeviceStatus, ADeviceThatCannotBeReadIsNamedWithWhatToDo)
{
    const CliRun status = Status("devices=2;stall=1@1");
    EXPECT_EQ(status.exitCode, 6) << "the highest of the devices' codes (4 and 6)\n" << status.err;
    EXPECT_EQ(status.out, "sim-0  release 5512  " + std::string(kNeverWritten) + "\n" +
                              "sim-1  release 5512  could not be read: no answer to the read of page 160 within "
                              "5000 ms; check its USB connection, then run 'kt7-flash status' again\n");
    EXPECT_THAT(Log(), HasSubstr("ERROR: read of the check-code block (page 160) on device 1 (sim-1): no answer"));
    EXPECT_THAT(status.err, HasSubstr("详细信息见日志"));

    EXPECT_EQ(Status("devices=1;stall=0@1").exitCode, 4);
}

TEST_F(DeviceStatus, RefusedWhileAnUpdateRunsAndWithoutDevices)
{
    {
        NullDiagnostics log;
        UpdateLock other(m_flash.File("kt7-update.lock"), log);
        ASSERT_TRUE(other.Held());
        const CliRun status = Status("devices=1");
        EXPECT_EQ(status.exitCode, 5);
        EXPECT_EQ(status.out, "");
    }
    const CliRun status = Status("devices=0");
    EXPECT_EQ(status.exitCode, 2);
    EXPECT_EQ(status.out, "No device attached.\n");
}

TEST_F(DeviceStatus, JsonSaysTheSameForScripts)
{
    ASSERT_EQ(Update(m_dir.Path(), "devices=2", {"--device", "sim-0"}).exitCode, 0);
    const CliRun status = Status("devices=2", {"--json"});
    EXPECT_EQ(status.exitCode, 6) << status.err;
    EXPECT_THAT(status.out, HasSubstr("\"location\":\"sim-0\""));
    EXPECT_THAT(status.out, HasSubstr("\"held\":\"this-package\",\"check_code_block\":\"valid\","
                                      "\"descriptor_block\":\"valid\",\"differs\":[],\"areas_differ\":[],\"exit_code\":0,"
                                      "\"error\":null}"));
    EXPECT_THAT(status.out, HasSubstr("\"held\":\"no-package\",\"check_code_block\":\"erased\","
                                      "\"descriptor_block\":\"erased\",\"differs\":null,\"areas_differ\":null,"
                                      "\"exit_code\":6,\"error\":null}"));
}

} // namespace
