#include <cstdio>
#include <optional>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "backends/DevicePermission.h"

namespace {

using ::testing::HasSubstr;

std::string MakeNode(mode_t mode)
{
    char path[] = "/tmp/kt7-node-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0)
        return {};
    close(fd);
    chmod(path, mode);
    return path;
}

// Whether an unprivileged process finds the node denied: root is never
// denied, so the check runs in a child that gives up root first. Empty when
// root can't be given up here.
std::optional<bool> DeniedForUnprivilegedUser(const std::string& path)
{
    if (geteuid() != 0)
        return IsAccessDenied(path);
    pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        _exit(IsAccessDenied(path) ? 1 : 0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) > 1)
        return std::nullopt;
    return WEXITSTATUS(status) == 1;
}

TEST(DevicePermissionTest, OnlyAnUnreadableExistingNodeIsDenied)
{
    std::string locked = MakeNode(0600);
    std::string open = MakeNode(0666);
    ASSERT_FALSE(locked.empty());
    ASSERT_FALSE(open.empty());

    std::optional<bool> lockedDenied = DeniedForUnprivilegedUser(locked);
    std::optional<bool> openDenied = DeniedForUnprivilegedUser(open);
    std::remove(locked.c_str());
    std::remove(open.c_str());
    EXPECT_FALSE(IsAccessDenied("/tmp/kt7-no-such-node")) << "a missing node is not a permission problem";
    if (!lockedDenied || !openDenied)
        GTEST_SKIP() << "can't drop root here";
    EXPECT_TRUE(*lockedDenied);
    EXPECT_FALSE(*openDenied);
}

TEST(DevicePermissionTest, LineNamesTheNodeAndTheRule)
{
    std::string line = AccessDeniedLine("/dev/hidraw3");
    EXPECT_THAT(line, HasSubstr("Permission denied"));
    EXPECT_THAT(line, HasSubstr("/dev/hidraw3"));
    EXPECT_THAT(line, HasSubstr("/usr/lib/udev/rules.d/70-kt7-updater.rules"));
    EXPECT_EQ(line.back(), '\n');
}

} // namespace
