#include "package/PackageReader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "package/Descramble.h"
#include "package/PackageMessages.h"

namespace {

// Large reads keep the syscalls few; a block a fraction of the cache size is
// still in cache when it is descrambled right after.
constexpr size_t kReadBlock = 512 * 1024;
static_assert(kReadBlock % kKeyBlockSize == 0, "blocks must keep chunk boundaries");

class FileDescriptor {
public:
    explicit FileDescriptor(const std::string& path)
        : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)), m_openError(m_fd < 0 ? errno : 0)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    int OpenError() const { return m_openError; }

private:
    int m_fd;
    int m_openError;
};

// Reads until `count` bytes are in or the file ends; -1 on a read error.
ssize_t ReadFully(int fd, uint8_t* buffer, size_t count)
{
    size_t done = 0;
    while (done < count) {
        ssize_t n = ::read(fd, buffer + done, count - done);
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

bool RegularFileLength(int fd, uint64_t* length)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    *length = static_cast<uint64_t>(info.st_size);
    return true;
}

PackageProblem ProblemOfOpenError(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return PackageProblem::kNotFound;
    case EACCES:
    case EPERM:
        return PackageProblem::kPermissionDenied;
    default:
        return PackageProblem::kUnreadable;
    }
}

// Why a file could not be opened or measured as a regular file.
PackageFailure OpenFailure(const FileDescriptor& file, const char* message)
{
    if (!file.IsOpen())
        return {message, ProblemOfOpenError(file.OpenError())};
    return {message, PackageProblem::kNotRegularFile};
}

PackageFailure FromParser(const char* message)
{
    return {message, ProblemOfParserMessage(message)};
}

} // namespace

PackageFailure QueryPackageFileLength(const std::string& path, uint64_t* length)
{
    FileDescriptor file(path);
    if (!file.IsOpen() || !RegularFileLength(file.Get(), length))
        return OpenFailure(file, kMsgCannotOpenPackage);
    return {};
}

PackageFailure ReadPackageInto(const std::string& path, uint64_t expectedFileLength, LoadedPackage* p)
{
    p->length = 0;
    FileDescriptor file(path);
    uint64_t lengthNow = 0;
    if (!file.IsOpen() || !RegularFileLength(file.Get(), &lengthNow))
        return OpenFailure(file, kMsgPackageNotFound);

    uint8_t key[kKeyBlockSize];
    ssize_t keyBytes = ReadFully(file.Get(), key, sizeof key);
    if (keyBytes < 0)
        return {kMsgPackageReadError, PackageProblem::kUnreadable};
    if (keyBytes != static_cast<ssize_t>(sizeof key) || expectedFileLength < kKeyBlockSize)
        return {kMsgPackageReadError, PackageProblem::kTooShort};

    // Never more than the buffer was sized for.
    uint64_t payloadExpected = expectedFileLength - kKeyBlockSize;
    if (!p->data || payloadExpected + kKeyBlockSize > p->capacity)
        return {kMsgPackageReadError, PackageProblem::kUnreadable};
    uint64_t total = 0;
    while (total < payloadExpected) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(kReadBlock, payloadExpected - total));
        ssize_t got = ReadFully(file.Get(), p->data.get() + total, want);
        if (got < 0)
            return {kMsgPackageReadError, PackageProblem::kUnreadable};
        DescramblePackage(p->data.get() + total, static_cast<size_t>(got), key);
        total += static_cast<uint64_t>(got);
        if (static_cast<size_t>(got) < want)
            break;
    }

    // A file that shrank, grew or was replaced since its length was taken.
    uint8_t probe;
    bool grew = ReadFully(file.Get(), &probe, 1) != 0;
    if (grew || total != payloadExpected || !RegularFileLength(file.Get(), &lengthNow) ||
        lengthNow != expectedFileLength)
        return {kMsgPackageReadError, PackageProblem::kUnreadable};

    p->length = static_cast<uint32_t>(total);
    FillPayloadSlack(p);
    return {};
}

PackageFailure LoadPackageFromFile(const std::string& path, const MapRandomBlock& random, LoadedPackage* p)
{
    *p = LoadedPackage{};
    uint64_t length = 0;
    if (PackageFailure failure = QueryPackageFileLength(path, &length))
        return failure;
    if (const char* failure = AllocatePayload(length, p))
        return FromParser(failure);
    if (PackageFailure failure = ReadPackageInto(path, length, p))
        return failure;
    return FromParser(FinishPackageLoad(p, random));
}
