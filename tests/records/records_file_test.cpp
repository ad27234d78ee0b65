#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "records/RecordAppend.h"
#include "records/RecordLine.h"
#include "records/RecordsPath.h"
#include "records/RecordsReading.h"
#include "support/PackageTestFiles.h"

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

DeviceRecord Record(const std::string& location, int attempt)
{
    DeviceRecord r;
    r.timeUtc = 1796890530;  // 2026-12-10T08:15:30Z
    r.location = location;
    r.release = "5512";
    r.packageFile = "KT7_Down.dat";
    r.result = kResultSuccess;
    r.attempt = attempt;
    return r;
}

TEST(RecordsFile, AppendedRecordsAreReadBackInOrder)
{
    PackageTempDir dir;
    // The folder is made when missing, with its parents.
    const std::string path = dir.File("state/kt7-updater/records.jsonl");
    const DeviceRecord first = Record("1-2.3", 1), second = Record("1-2.4", 2);
    ASSERT_EQ(AppendRecordLine(path, EncodeRecordLine(first)), std::nullopt);
    ASSERT_EQ(AppendRecordLine(path, EncodeRecordLine(second)), std::nullopt);
    EXPECT_EQ(ReadText(path), EncodeRecordLine(first) + EncodeRecordLine(second));

    const RecordsFileContents contents = ReadRecordsFile(path);
    EXPECT_EQ(contents.error, std::nullopt);
    EXPECT_TRUE(contents.warnings.empty());
    ASSERT_EQ(contents.records.size(), 2u);
    EXPECT_EQ(contents.records[0], first);
    EXPECT_EQ(contents.records[1], second);
}

// A crash in the middle of a write leaves part of a line: reading skips it
// with a warning, and the next record goes on a line of its own.
TEST(RecordsFile, PartlyWrittenLastLineIsSkippedAndTheNextRecordStaysWhole)
{
    PackageTempDir dir;
    const std::string path = dir.File("records.jsonl");
    const std::string whole = EncodeRecordLine(Record("1-2.3", 1));
    const std::string cut = EncodeRecordLine(Record("1-2.4", 1)).substr(0, 40);
    WriteText(path, whole + cut);

    RecordsFileContents contents = ReadRecordsFile(path);
    ASSERT_EQ(contents.records.size(), 1u);
    EXPECT_EQ(contents.records[0].location, "1-2.3");
    ASSERT_EQ(contents.warnings.size(), 1u);
    EXPECT_EQ(contents.warnings[0].line, 2u);
    EXPECT_EQ(RecordWarningText("records.jsonl", contents.warnings[0]),
              "records.jsonl line 2: partly written (no line break at the end), skipped");

    const DeviceRecord next = Record("1-2.5", 1);
    ASSERT_EQ(AppendRecordLine(path, EncodeRecordLine(next)), std::nullopt);
    EXPECT_EQ(ReadText(path), whole + cut + "\n" + EncodeRecordLine(next));
    contents = ReadRecordsFile(path);
    ASSERT_EQ(contents.records.size(), 2u);
    EXPECT_EQ(contents.records[1], next);
    ASSERT_EQ(contents.warnings.size(), 1u);
    EXPECT_EQ(contents.warnings[0].line, 2u);
    EXPECT_NE(contents.warnings[0].problem.find("not a record (string not closed"), std::string::npos)
        << contents.warnings[0].problem;
}

TEST(RecordsFile, EveryBadLineIsSkippedWithItsLineNumber)
{
    const std::string good = EncodeRecordLine(Record("1-2.3", 1));
    std::string otherSchema = good;
    otherSchema.replace(otherSchema.find("\"schema\":1"), 10, "\"schema\":2");
    const std::string text = "not json\n" + good + "  \r\n" + otherSchema + "{\"schema\":1}\r\n" + good;
    const RecordsFileContents contents = ParseRecordsText(text);
    EXPECT_EQ(contents.records.size(), 2u);
    ASSERT_EQ(contents.warnings.size(), 3u);
    EXPECT_EQ(contents.warnings[0].line, 1u);
    EXPECT_EQ(contents.warnings[1].line, 4u) << "blank lines count, and are passed over";
    EXPECT_NE(contents.warnings[1].problem.find("schema"), std::string::npos);
    EXPECT_EQ(contents.warnings[2].line, 5u);
    EXPECT_TRUE(ParseRecordsText("").records.empty());
    EXPECT_TRUE(ParseRecordsText("\n\n").warnings.empty());
}

TEST(RecordsFile, MissingFileHoldsNoRecordsAndAFolderCannotBeRead)
{
    PackageTempDir dir;
    const RecordsFileContents missing = ReadRecordsFile(dir.File("records.jsonl"));
    EXPECT_EQ(missing.error, std::nullopt);
    EXPECT_TRUE(missing.records.empty());

    const RecordsFileContents folder = ReadRecordsFile(dir.Path());
    ASSERT_TRUE(folder.error);
    EXPECT_NE(folder.error->find("not a regular file"), std::string::npos) << *folder.error;
}

TEST(RecordsFile, AppendFailuresAreValuesWithTheirReason)
{
    PackageTempDir dir;
    WriteText(dir.File("plain"), "a file, not a folder");
    struct Case {
        const char* what;
        std::string path;
        const char* step;
        int error;  // 0: any
    };
    const Case cases[] = {
        {"a folder", dir.Path(), "open", EISDIR},
        {"below a file", dir.File("plain/records.jsonl"), "make the folder of", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<AppendFailure> failure = AppendRecordLine(c.path, "{}\n");
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->step, c.step);
        EXPECT_EQ(failure->path, c.path);
        if (c.error) {
            EXPECT_EQ(failure->error, c.error) << failure->Text();
        }
        EXPECT_EQ(failure->Text().rfind(std::string("cannot ") + c.step + " " + c.path + ": ", 0), 0u) << failure->Text();
    }
    EXPECT_EQ(ReadText(dir.File("plain")), "a file, not a folder");
}

TEST(RecordsPath, DefaultIsInTheUsersStateFolder)
{
    struct Case {
        const char* what;
        std::optional<std::string> state, home, local;
        std::string expected;
    };
#ifdef _WIN32
    const Case cases[] = {
        {"local application data", {}, {}, "C:\\Users\\x\\AppData\\Local", "C:\\Users\\x\\AppData\\Local\\kt7-updater\\records.jsonl"},
        {"with a trailing separator", {}, {}, "D:\\data\\", "D:\\data\\kt7-updater\\records.jsonl"},
        {"unset", {}, {}, {}, ""},
        {"empty", {}, {}, "", ""},
    };
#else
    const Case cases[] = {
        {"XDG_STATE_HOME", "/var/state", "/home/x", {}, "/var/state/kt7-updater/records.jsonl"},
        {"XDG_STATE_HOME not absolute", "state", "/home/x", {}, "/home/x/.local/state/kt7-updater/records.jsonl"},
        {"XDG_STATE_HOME empty", "", "/home/x", {}, "/home/x/.local/state/kt7-updater/records.jsonl"},
        {"XDG_STATE_HOME unset", {}, "/home/x", {}, "/home/x/.local/state/kt7-updater/records.jsonl"},
        {"no HOME either", {}, {}, {}, ""},
    };
#endif
    for (const Case& c : cases) {
        const EnvironmentLookup environment = [&](const char* name) -> std::optional<std::string> {
            const std::string key = name;
            return key == "XDG_STATE_HOME" ? c.state : key == "HOME" ? c.home : key == "LOCALAPPDATA" ? c.local
                                                                                                     : std::nullopt;
        };
        EXPECT_EQ(DefaultRecordsPath(environment), c.expected) << c.what;
    }
}

}  // namespace
