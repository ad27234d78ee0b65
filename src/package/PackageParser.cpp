#include "package/PackageParser.h"

#include <cstring>

#include "package/Descramble.h"
#include "package/PackageBuffers.h"
#include "package/PackageChecks.h"
#include "texts/UserTexts.h"
#include "package/PackageSummary.h"
#include "platform/FlashGeometry.h"

namespace {

constexpr uint32_t kPayloadSlack = 512;
constexpr uint32_t kMapImageSlack = 1024;

const char* CheckMapArea(const PackageHeader& h, uint32_t payloadLength)
{
    if (h.mapSize > kMaxPackageFileLength || h.mapAddress > kFlashEnd)
        return kMsgBadPackingInfo;
    if (h.mapSize + kMapRandomBlockSize > kFlashEnd - h.mapAddress)
        return kMsgMapPastFlash;
    // The map image is copied from the payload: its area must lie inside.
    if (uint64_t(h.mapOffset) + h.mapSize > payloadLength)
        return kMsgBadPackingInfo;
    return nullptr;
}

} // namespace

const char* CheckPackageFileLength(uint64_t fileLength)
{
    return fileLength > kMaxPackageFileLength ? kMsgPackageTooBig : nullptr;
}

const char* AllocatePayload(uint64_t fileLength, LoadedPackage* package)
{
    if (const char* failure = CheckPackageFileLength(fileLength))
        return failure;
    uint32_t capacity = static_cast<uint32_t>(fileLength) + kPayloadSlack;
    package->data = AllocatePackageBuffer(capacity);
    if (!package->data)
        return kMsgNoMemoryForPackage;
    package->capacity = capacity;
    package->length = 0;
    return nullptr;
}

void FillPayloadSlack(LoadedPackage* package)
{
    if (package->data && package->length < package->capacity)
        std::memset(package->data.get() + package->length, 0xFF, package->capacity - package->length);
}

const char* FinishPackageLoad(LoadedPackage* p, const MapRandomBlock& random)
{
    p->header = ParsePackageHeader(p->data.get(), p->length);
    p->summary = ComposePackageSummary(p->header);
    if (p->header.mapSize != kAreaAbsent) {
        if (const char* failure = CheckMapArea(p->header, p->length))
            return failure;
        // Room for the random block, the map data and the rest of the last
        // page the two touch; FillMapImage sets that rest to 0xFF.
        uint32_t capacity = p->header.mapSize + kMapImageSlack;
        p->mapImage = AllocatePackageBuffer(capacity);
        if (!p->mapImage)
            return kMsgNoMemoryForMap;
        p->mapImageCapacity = capacity;
        FillMapImage(p->mapImage.get(), capacity, p->data.get(), p->length, p->header, random);
    }
    // The checks the update makes before it programs anything: a damaged
    // package is refused here, before any device is reset.
    return FirstFailedCheck(p->data.get(), p->length, p->header);
}

const char* ParsePackageFile(const uint8_t* file, size_t size, const MapRandomBlock& random, LoadedPackage* p)
{
    *p = LoadedPackage{};
    if (const char* failure = AllocatePayload(size, p))
        return failure;
    if (size < kKeyBlockSize)
        return kMsgPackageReadError;
    p->length = static_cast<uint32_t>(size - kKeyBlockSize);
    std::memcpy(p->data.get(), file + kKeyBlockSize, p->length);
    DescramblePackage(p->data.get(), p->length, file);
    FillPayloadSlack(p);
    p->fileSize = size;
    return FinishPackageLoad(p, random);
}
