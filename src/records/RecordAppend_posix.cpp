#include "records/RecordAppend.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

// Opens for appending without waiting (a FIFO without a reader would wait),
// then lets writes wait as usual. Read access serves the look at the last
// byte only; a file that may only be written is appended to all the same.
int OpenForAppending(const std::string& path)
{
    constexpr int kFlags = O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK;
    int fd = ::open(path.c_str(), O_RDWR | kFlags, 0666);
    if (fd < 0 && errno == EACCES)
        fd = ::open(path.c_str(), O_WRONLY | kFlags, 0666);
    if (fd < 0)
        return -1;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

bool EndsInPartLine(int fd, const struct stat& info)
{
    if (!S_ISREG(info.st_mode) || info.st_size == 0)
        return false;
    char last = '\n';
    return ::pread(fd, &last, 1, info.st_size - 1) == 1 && last != '\n';
}

// Writes all of `text`: one write, unless the system takes only part of it,
// when the rest follows (the next write then tells why it was cut).
bool WriteAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        text.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// A new file's name is only safe on disk once its folder is flushed too.
void FlushFolder(const std::string& path)
{
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);  // some file systems cannot flush a folder; the file itself is flushed
    ::close(fd);
}

}  // namespace

std::optional<AppendFailure> AppendRecordLine(const std::string& path, std::string_view line)
{
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error)
            return AppendFailure{"make the folder of", path, error.default_error_condition().value()};
    }
    const int fd = OpenForAppending(path);
    if (fd < 0)
        return AppendFailure{"open", path, errno};

    std::optional<AppendFailure> failure;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        failure = AppendFailure{"open", path, errno};
    } else {
        const bool newFile = S_ISREG(info.st_mode) && info.st_size == 0;
        const std::string text = (EndsInPartLine(fd, info) ? "\n" : "") + std::string(line);
        if (!WriteAll(fd, text))
            failure = AppendFailure{"write", path, errno};
        else if (S_ISREG(info.st_mode) && ::fsync(fd) != 0)
            failure = AppendFailure{"flush", path, errno};
        else if (newFile)
            FlushFolder(path);
    }
    ::close(fd);
    return failure;
}
