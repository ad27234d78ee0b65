#include "platform/UpdateLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/Diagnostics.h"

namespace {

constexpr char kLockFileName[] = "kt7-updater.lock";

} // namespace

std::string MachineUpdateLockPath()
{
    if (access("/run/lock", W_OK | X_OK) == 0)
        return std::string("/run/lock/") + kLockFileName;
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = tmp && *tmp ? tmp : "/tmp";
    if (folder.back() != '/')
        folder += '/';
    return folder + kLockFileName;
}

UpdateLock::UpdateLock(const std::string& path, DiagnosticsSink& log)
{
    if (path.empty()) {
        m_held = true;
        return;
    }
    // Read-only is enough for flock, and lets a second user share a file the
    // first one created. A shared sticky folder may refuse O_CREAT on another
    // user's file; opening it as it is then still works.
    const int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    m_fd = open(path.c_str(), flags | O_CREAT, 0666);
    if (m_fd < 0 && errno == EACCES)
        m_fd = open(path.c_str(), flags);
    if (m_fd < 0) {
        DiagPrintf(log, "WARNING: no update lock, can't open %s: %s\n", path.c_str(), std::strerror(errno));
        m_held = true;
        return;
    }
    if (flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
        m_held = true;
        return;
    }
    if (errno != EWOULDBLOCK) {
        DiagPrintf(log, "WARNING: no update lock, can't lock %s: %s\n", path.c_str(), std::strerror(errno));
        m_held = true;
    }
    close(m_fd);
    m_fd = -1;
}

UpdateLock::~UpdateLock()
{
    if (m_fd >= 0)
        close(m_fd);
}
