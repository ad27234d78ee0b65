#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "CliRun.h"
#include "support/PackageTestFiles.h"

namespace {

// A package small enough that its whole exchange fits in a readable fixture:
// every area one or two pages, the map partly scrambled.
PackageSpec TinySpec()
{
    PackageSpec contents;
    contents.main = PackageArea{PatternBytes(0x200, 1), 0x40010000u, "M101"};
    contents.voice = PackageArea{PatternBytes(0x100, 2), 0x40020000u, "V202"};
    contents.map = PackageArea{PatternBytes(0x100, 3), 0x40030000u, "D303"};
    contents.updateTime = "2026-12-10";
    contents.mapScrambleLength = 0x40;
    contents.keyBlock = MakeKeyBlock(7);
    return contents;
}

// The sequential update of two devices, report for report, as the run sent it
// before its state moved out of process-wide variables. Whatever changes inside
// the program, these bytes on the wire must not. Regenerate only on purpose
// (KT7_WRITE_TRACE_FIXTURE=1) when the wire sequence is meant to change.
TEST(SequentialTrace, TwoDevicesExchangeTheRecordedReports)
{
    struct Case {
        const char* fixture;
        const char* simulate;
        const char* package;
    };
    const Case cases[] = {
        {"sequential-two-devices.trace", "devices=2;reattach=0", "KT7_Down.dat"},
        // A special release: the shifted command set and the device's own file.
        {"sequential-special-release.trace", "devices=1;release=0123;reattach=0", "KT7_Down0123.dat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        PackageTempDir dir;
        PackageTempDir state;
        WriteBytesToFile(dir.File(c.package), BuildPackageFile(TinySpec()));
        const std::string trace = state.File("trace.txt");
        const CliRun run =
            RunCli({"update", "--dir", dir.Path()}, std::string(c.simulate) + ";trace=" + trace, state.Path() + "state");
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::string fixture = std::string(KT7_CLI_FIXTURES) + "/" + c.fixture;
        if (std::getenv("KT7_WRITE_TRACE_FIXTURE")) {
            std::ofstream(fixture, std::ios::binary) << ReadWholeFile(trace);
            continue;
        }
        EXPECT_EQ(ReadWholeFile(trace), ReadWholeFile(fixture));
    }
}

} // namespace
