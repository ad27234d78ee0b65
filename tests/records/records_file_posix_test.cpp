#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>

#include "backends/Unprivileged.h"
#include "records/RecordAppend.h"
#include "support/PackageTestFiles.h"

namespace {

TEST(RecordsFilePosix, FullDiskIsAFailureValue)
{
    const std::optional<AppendFailure> failure = AppendRecordLine("/dev/full", "{\"schema\":1}\n");
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->step, "write");
    EXPECT_EQ(failure->error, ENOSPC);
    EXPECT_EQ(failure->Text(), "cannot write /dev/full: No space left on device");
}

TEST(RecordsFilePosix, UnwritablePlacesAreFailureValues)
{
    PackageTempDir dir;
    ::chmod(dir.Path().c_str(), 0755);
    const std::string locked = dir.File("locked");
    std::filesystem::create_directory(locked);
    ::chmod(locked.c_str(), 0555);
    const std::string readOnlyFile = dir.File("read-only.jsonl");
    WriteBytesToFile(readOnlyFile, {});
    ::chmod(readOnlyFile.c_str(), 0444);
    struct Case {
        const char* what;
        std::string path;
        const char* step;
    };
    const Case cases[] = {
        {"a folder that may not be written", locked + "/records.jsonl", "open"},
        {"a folder to make inside one that may not be written", locked + "/kt7-updater/records.jsonl",
         "make the folder of"},
        {"a file that may not be written", readOnlyFile, "open"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<bool> refused = RunUnprivileged([&] {
            const std::optional<AppendFailure> failure = AppendRecordLine(c.path, "{}\n");
            return failure && failure->step == c.step && failure->error == EACCES;
        });
        if (!refused)
            GTEST_SKIP() << "can't drop root here";
        EXPECT_TRUE(*refused);
    }
}

}  // namespace
