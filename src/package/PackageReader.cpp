#include "package/PackageReader.h"

#include <algorithm>
#include <cerrno>

#include "package/Descramble.h"
#include "texts/UserTexts.h"
#include "platform/RegularFile.h"

namespace {

// Large reads keep the syscalls few; a block a fraction of the cache size is
// still in cache when it is descrambled right after.
constexpr size_t kReadBlock = 512 * 1024;
static_assert(kReadBlock % kKeyBlockSize == 0, "blocks must keep chunk boundaries");

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
PackageFailure OpenFailure(const RegularFile& file, const char* message)
{
    if (file.OpenError() != 0)
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
    RegularFile file(path);
    int64_t fileLength = file.Length();
    if (fileLength < 0)
        return OpenFailure(file, kMsgCannotOpenPackage);
    *length = static_cast<uint64_t>(fileLength);
    return {};
}

PackageFailure ReadPackageInto(const std::string& path, uint64_t expectedFileLength, LoadedPackage* p)
{
    p->length = 0;
    RegularFile file(path);
    if (!file.IsOpen())
        return OpenFailure(file, kMsgPackageNotFound);

    uint8_t key[kKeyBlockSize];
    ssize_t keyBytes = file.Read(key, sizeof key);
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
        ssize_t got = file.Read(p->data.get() + total, want);
        if (got < 0)
            return {kMsgPackageReadError, PackageProblem::kUnreadable};
        DescramblePackage(p->data.get() + total, static_cast<size_t>(got), key);
        total += static_cast<uint64_t>(got);
        if (static_cast<size_t>(got) < want)
            break;
    }

    // A file that shrank, grew or was replaced since its length was taken.
    uint8_t probe;
    bool grew = file.Read(&probe, 1) != 0;
    if (grew || total != payloadExpected || file.Length() != static_cast<int64_t>(expectedFileLength))
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
    p->path = path;
    p->fileSize = length;
    return FromParser(FinishPackageLoad(p, random));
}
