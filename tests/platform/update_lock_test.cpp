#include <gtest/gtest.h>

#include <string>

#include "platform/Diagnostics.h"
#include "platform/UpdateLock.h"
#include "support/PackageTestFiles.h"

namespace {

NullDiagnostics diagnostics;

TEST(UpdateLock, ASecondHolderIsRefusedUntilTheFirstLetsGo)
{
    PackageTempDir folder;
    const std::string path = folder.File("update.lock");
    {
        UpdateLock first(path, diagnostics);
        ASSERT_TRUE(first.Held());
        UpdateLock second(path, diagnostics);
        EXPECT_FALSE(second.Held());
    }
    UpdateLock again(path, diagnostics);
    EXPECT_TRUE(again.Held()) << "the lock goes with its holder; the file left behind blocks nothing";
}

TEST(UpdateLock, OtherFilesAreOtherLocks)
{
    PackageTempDir folder;
    UpdateLock one(folder.File("one.lock"), diagnostics);
    UpdateLock two(folder.File("two.lock"), diagnostics);
    EXPECT_TRUE(one.Held());
    EXPECT_TRUE(two.Held());
}

TEST(UpdateLock, NoPathMeansNoLock)
{
    UpdateLock first("", diagnostics);
    UpdateLock second("", diagnostics);
    EXPECT_TRUE(first.Held());
    EXPECT_TRUE(second.Held());
}

// A folder's permissions must not stop every update; the diagnostics say
// why none was taken.
TEST(UpdateLock, AFileThatCannotBeOpenedTakesNoLockAndSaysSo)
{
    PackageTempDir folder;
    CapturingDiagnostics diagnostics;
    UpdateLock lock(folder.File("no/such/folder/update.lock"), diagnostics);
    EXPECT_TRUE(lock.Held());
    EXPECT_NE(diagnostics.Text().find("no update lock"), std::string::npos) << diagnostics.Text();
}

} // namespace
