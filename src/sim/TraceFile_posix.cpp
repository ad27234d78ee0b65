#include "sim/TraceFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

std::FILE* OpenTraceFile(const std::string& path)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
    int flags = fd >= 0 ? ::fcntl(fd, F_GETFL) : -1;
    std::FILE* file = nullptr;
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 || !(file = ::fdopen(fd, "w"))) {
        const int savedErrno = errno;
        if (fd >= 0)
            ::close(fd);
        errno = savedErrno;
        return nullptr;
    }
    return file;
}
