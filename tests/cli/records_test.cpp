// The records kt7-flash keeps of its device updates, and `kt7-flash
// records`, on simulated devices and the virtual clock.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CliRun.h"
#include "records/RecordsReading.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

int Occurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class Records : public CliPackageFolder {
protected:
    std::string RecordsFile() const { return m_state.File("records/bench.jsonl"); }
    CliRun Update(const std::string& simulate, std::vector<std::string> more = {})
    {
        std::vector<std::string> args = {"update", "--dir", m_dir.Path(), "--station", "bench-1"};
        args.insert(args.end(), more.begin(), more.end());
        return RunCli(args, "reattach=0;" + simulate, StateHome());
    }
    CliRun Show(std::vector<std::string> more = {})
    {
        std::vector<std::string> args = {"records", "--records", RecordsFile()};
        args.insert(args.end(), more.begin(), more.end());
        return RunCli(args, "devices=0", StateHome());
    }
    RecordsFileContents Read() const { return ReadRecordsFile(RecordsFile()); }
};

// Each device of a parallel run gets one whole line, the one that failed
// with the message it was shown; the others are not held up by it.
TEST_F(Records, AParallelRunRecordsEveryDeviceTheFailingOneWithItsMessage)
{
    const CliRun run =
        Update("devices=3;serial=KT7A0001,,KT7A0003;unplug=1@60", {"--parallel", "--records", RecordsFile()});
    ASSERT_EQ(run.exitCode, 4) << run.err;

    const std::string text = ReadWholeFile(RecordsFile());
    EXPECT_EQ(Occurrences(text, "\n"), 3) << text;
    const RecordsFileContents read = Read();
    EXPECT_TRUE(read.warnings.empty());
    ASSERT_EQ(read.records.size(), 3u);
    for (const DeviceRecord& record : read.records) {
        SCOPED_TRACE(record.location);
        const bool failing = record.location == "sim-1";
        EXPECT_EQ(record.result, failing ? "failed" : "success");
        EXPECT_EQ(record.exitCode, failing ? 4 : 0);
        EXPECT_EQ(record.message.empty(), !failing);
        EXPECT_EQ(record.station, "bench-1");
        EXPECT_EQ(record.attempt, 1);
        EXPECT_EQ(record.packageFile, "KT7_Down.dat");
        EXPECT_EQ(record.packageSha256.size(), 64u);
        EXPECT_GT(record.durationMs, 0);
    }
    for (const DeviceRecord& record : read.records) {
        if (record.location == "sim-0") {
            EXPECT_EQ(record.serial, "KT7A0001");
        }
        if (record.location == "sim-1") {
            EXPECT_EQ(record.serial, std::nullopt) << "no serial number: null, not an empty text";
            EXPECT_THAT(record.message, HasSubstr("写入失败"));
        }
    }
    // The table says the same, with the serial numbers.
    EXPECT_THAT(run.out, HasSubstr("序列号"));
    EXPECT_THAT(run.out, HasSubstr("KT7A0003"));
}

// A device that failed is tried again once it is back; each attempt is a
// record and a row, and the run ends as the last attempt did. A package
// that cannot be loaded is not tried again.
TEST_F(Records, ARetriedDeviceHasARecordOfEachAttempt)
{
    const CliRun run = Update("devices=2;drop=1@60", {"--parallel", "--retry", "2", "--records", RecordsFile()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const RecordsFileContents read = Read();
    ASSERT_EQ(read.records.size(), 3u) << ReadWholeFile(RecordsFile());
    std::vector<std::string> sim1;
    for (const DeviceRecord& record : read.records)
        if (record.location == "sim-1")
            sim1.push_back(record.result + " " + std::to_string(record.attempt));
    EXPECT_EQ(sim1, (std::vector<std::string>{"failed 1", "success 2"}));
    EXPECT_THAT(run.err, HasSubstr("sim-1: failed; trying again (attempt 2 of 3)"));
    EXPECT_THAT(run.out, HasSubstr("次数"));
    EXPECT_EQ(Occurrences(run.out, "sim-1 "), 2) << "a row per attempt:\n" << run.out;

    std::remove(m_dir.File("KT7_Down.dat").c_str());
    const CliRun noPackage = Update("devices=1", {"--parallel", "--retry", "2", "--records", RecordsFile()});
    EXPECT_EQ(noPackage.exitCode, 1);
    EXPECT_THAT(noPackage.err, Not(HasSubstr("trying again")));
    EXPECT_EQ(Read().records.size(), 4u) << "one record of the package's failure";
}

#ifndef _WIN32
// On a full disk the update runs and ends as it would; standard error says
// once that no record was kept, however many devices there were.
TEST_F(Records, ARecordsFileOnAFullDiskIsSaidOnceAndTheUpdateStands)
{
    for (const bool parallel : {false, true}) {
        SCOPED_TRACE(parallel);
        std::vector<std::string> more = {"--records", "/dev/full"};
        if (parallel)
            more.push_back("--parallel");
        const CliRun run = Update("devices=2", more);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(Occurrences(run.err, "未能保存升级记录"), 1) << run.err;
        EXPECT_THAT(run.err, HasSubstr("/dev/full"));
    }
}
#endif

// Without --records the default file, under the state folder; none at all
// with --no-records.
TEST_F(Records, TheDefaultFileOrNone)
{
    const std::string defaultFile = StateHome() + "/kt7-updater/records.jsonl";
    ASSERT_EQ(Update("devices=1", {"--no-records"}).exitCode, 0);
    EXPECT_EQ(ReadRecordsFile(defaultFile).records.size(), 0u);
    ASSERT_EQ(Update("devices=2").exitCode, 0);
    EXPECT_EQ(ReadRecordsFile(defaultFile).records.size(), 2u);
}

TEST_F(Records, TheRecordsAsATableWithCountsOrAsCsv)
{
    ASSERT_EQ(Update("devices=2;unplug=1@60", {"--parallel", "--records", RecordsFile()}).exitCode, 4);
    ASSERT_EQ(Update("devices=1", {"--records", RecordsFile()}).exitCode, 0);

    const CliRun table = Show({"--since", "today"});
    EXPECT_EQ(table.exitCode, 0) << table.err;
    EXPECT_THAT(table.out, HasSubstr("bench-1"));
    EXPECT_THAT(table.out, HasSubstr("共 3 条：成功 2，失败 1"));
    EXPECT_EQ(table.err, "");

    const CliRun csv = Show({"--csv"});
    EXPECT_EQ(csv.exitCode, 0);
    EXPECT_EQ(csv.out.rfind("\xEF\xBB\xBF", 0), 0u) << "a byte-order mark first";
    EXPECT_EQ(Occurrences(csv.out, "\r\n"), 4) << "a heading and three rows";

    // A crash in the middle of a line: the line is skipped, with a warning.
    std::FILE* file = std::fopen(RecordsFile().c_str(), "ab");
    std::fputs("{\"schema\":1,\"event\":\"rec", file);
    std::fclose(file);
    const CliRun torn = Show();
    EXPECT_EQ(torn.exitCode, 0);
    EXPECT_THAT(torn.out, HasSubstr("共 3 条"));
    EXPECT_THAT(torn.err, HasSubstr("line 4"));

    EXPECT_THAT(Show({"--since", "2999-01-01"}).out, HasSubstr("No records since 2999-01-01"));
}

TEST_F(Records, WhatTheRecordsVerbRefuses)
{
    struct Case {
        const char* shows;
        std::vector<std::string> args;
        int exitCode;
        const char* says;
    };
    const Case cases[] = {
        {"a date it cannot read", {"records", "--since", "yesterday"}, 64, "--since takes today or a date"},
        {"a folder as the records file", {"records", "--records", "/"}, 74, "cannot read /"},
        {"--csv with update", {"update", "--csv"}, 64, "--csv goes with records"},
        {"--retry without --parallel", {"update", "--retry", "1"}, 64, "--retry goes with update --parallel"},
        {"too many retries", {"update", "--parallel", "--retry", "10"}, 64, "--retry takes a count from 0 to 9"},
        {"both --records and --no-records", {"update", "--records", "f", "--no-records"}, 64, "not both"},
        {"--json with records", {"records", "--json"}, 64, "JSON lines already"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shows);
        const CliRun run = RunCli(c.args, "devices=0", StateHome());
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_THAT(run.err, HasSubstr(c.says));
    }
}

} // namespace
