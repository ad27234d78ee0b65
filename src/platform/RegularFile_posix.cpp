#include "platform/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

RegularFile::RegularFile(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        m_openError = errno;
        return;
    }
    struct stat info {};
    int flags = ::fcntl(fd, F_GETFL);
    // Reads of a regular file never wait anyway; the flag only had to keep
    // the opening from waiting.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        m_openError = 0;
        return;
    }
    m_fd = fd;
}

RegularFile::~RegularFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int64_t RegularFile::Length() const
{
    struct stat info {};
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0)
        return -1;
    return static_cast<int64_t>(info.st_size);
}

ssize_t RegularFile::Read(uint8_t* buffer, size_t count)
{
    if (m_fd < 0)
        return -1;
    size_t done = 0;
    while (done < count) {
        ssize_t n = ::read(m_fd, buffer + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
}
