#pragma once
// Runs a check as an unprivileged user. Root passes every permission check,
// so as root the check runs in a child that gives up root first.

#include <functional>
#include <optional>
#include <string>

#include <stdlib.h>
#include <sys/stat.h>

#include <sys/wait.h>
#include <unistd.h>

// The check's answer, or nothing when root can't be given up here.
inline std::optional<bool> RunUnprivileged(const std::function<bool()>& check)
{
    if (geteuid() != 0)
        return check();
    pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        _exit(check() ? 1 : 0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) > 1)
        return std::nullopt;
    return WEXITSTATUS(status) == 1;
}

// A fresh file with this mode in /tmp; empty on failure.
inline std::string MakeNode(mode_t mode)
{
    char path[] = "/tmp/kt7-node-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0)
        return {};
    close(fd);
    chmod(path, mode);
    return path;
}
