#include "package/PackageReader.h"

#include <algorithm>

#include "package/Descramble.h"
#include "package/PackageMessages.h"
#include "platform/RegularFile.h"

namespace {

// Large reads keep the syscalls few; a block a fraction of the cache size is
// still in cache when it is descrambled right after.
constexpr size_t kReadBlock = 512 * 1024;
static_assert(kReadBlock % kKeyBlockSize == 0, "blocks must keep chunk boundaries");

} // namespace

const char* QueryPackageFileLength(const std::string& path, uint64_t* length)
{
    RegularFile file(path);
    int64_t fileLength = file.Length();
    if (fileLength < 0)
        return kMsgCannotOpenPackage;
    *length = static_cast<uint64_t>(fileLength);
    return nullptr;
}

const char* ReadPackageInto(const std::string& path, uint64_t expectedFileLength, LoadedPackage* p)
{
    p->length = 0;
    RegularFile file(path);
    if (!file.IsOpen())
        return kMsgPackageNotFound;

    uint8_t key[kKeyBlockSize];
    ssize_t keyBytes = file.Read(key, sizeof key);
    if (keyBytes != static_cast<ssize_t>(sizeof key) || expectedFileLength < kKeyBlockSize)
        return kMsgPackageReadError;

    // Never more than the buffer was sized for.
    uint64_t payloadExpected = expectedFileLength - kKeyBlockSize;
    if (!p->data || payloadExpected + kKeyBlockSize > p->capacity)
        return kMsgPackageReadError;
    uint64_t total = 0;
    while (total < payloadExpected) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(kReadBlock, payloadExpected - total));
        ssize_t got = file.Read(p->data.get() + total, want);
        if (got < 0)
            return kMsgPackageReadError;
        DescramblePackage(p->data.get() + total, static_cast<size_t>(got), key);
        total += static_cast<uint64_t>(got);
        if (static_cast<size_t>(got) < want)
            break;
    }

    // A file that shrank, grew or was replaced since its length was taken.
    uint8_t probe;
    bool grew = file.Read(&probe, 1) != 0;
    if (grew || total != payloadExpected || file.Length() != static_cast<int64_t>(expectedFileLength))
        return kMsgPackageReadError;

    p->length = static_cast<uint32_t>(total);
    FillPayloadSlack(p);
    return nullptr;
}

const char* LoadPackageFromFile(const std::string& path, const MapRandomBlock& random, LoadedPackage* p)
{
    *p = LoadedPackage{};
    uint64_t length = 0;
    if (const char* failure = QueryPackageFileLength(path, &length))
        return failure;
    if (const char* failure = AllocatePayload(length, p))
        return failure;
    if (const char* failure = ReadPackageInto(path, length, p))
        return failure;
    return FinishPackageLoad(p, random);
}
