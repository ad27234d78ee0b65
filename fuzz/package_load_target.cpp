// A package file's bytes through the loading sequence, the summary, the map
// image and the offline checks. Beyond what the sanitizers see, it checks
// that loading is deterministic, that the loader refuses every package the
// update's checks refuse, with their message, and that a package it accepts
// lays out its areas inside the flash window, apart from each other, inside
// the erased sectors and inside the buffers the engine sends them from, every
// byte of every area in a page that is written.

#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "engine/AreaValues.h"
#include "package/AreaLayout.h"
#include "package/PackageChecks.h"
#include "package/PackageParser.h"
#include "platform/FlashGeometry.h"

namespace {

// Packages large enough to hold every layout; larger ones only slow the fuzzer.
constexpr size_t kMaxPackageBytes = 256 * 1024;
constexpr uint32_t kRandomSeed = 0x2025;

bool IsValidUtf8(const std::string& text)
{
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t extra = 0;
        if (lead >= 0x80) {
            if ((lead & 0xE0) == 0xC0)
                extra = 1;
            else if ((lead & 0xF0) == 0xE0)
                extra = 2;
            else if ((lead & 0xF8) == 0xF0)
                extra = 3;
            else
                return false;
        }
        if (i + extra >= text.size())
            return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

bool AllBytesAre(const uint8_t* bytes, size_t length, uint8_t value)
{
    for (size_t i = 0; i < length; ++i)
        if (bytes[i] != value)
            return false;
    return true;
}

void CheckLoadIsDeterministic(const LoadedPackage& a, const LoadedPackage& b)
{
    FUZZ_CHECK(a.length == b.length && a.capacity == b.capacity, "two loads differ in length");
    FUZZ_CHECK(std::memcmp(a.data.get(), b.data.get(), a.capacity) == 0, "two loads differ in the payload buffer");
    uint8_t headerA[kPackageHeaderSize], headerB[kPackageHeaderSize];
    StorePackageHeader(a.header, headerA);
    StorePackageHeader(b.header, headerB);
    FUZZ_CHECK(std::memcmp(headerA, headerB, sizeof headerA) == 0, "two loads differ in the header");
    FUZZ_CHECK(a.summary == b.summary, "two loads differ in the summary");
    FUZZ_CHECK((a.mapImage == nullptr) == (b.mapImage == nullptr), "two loads differ in having a map image");
    FUZZ_CHECK(a.mapImageCapacity == b.mapImageCapacity, "two loads differ in the map image's size");
    if (a.mapImage)
        FUZZ_CHECK(std::memcmp(a.mapImage.get(), b.mapImage.get(), a.mapImageCapacity) == 0,
                   "the same random block gave two different map images");
}

void CheckLoadedShape(const LoadedPackage& p, size_t fileSize)
{
    FUZZ_CHECK(p.length == fileSize - kKeyBlockSize, "payload length is not file length - 1024");
    FUZZ_CHECK(p.capacity >= p.length, "payload longer than its buffer");
    FUZZ_CHECK(AllBytesAre(p.data.get() + p.length, p.capacity - p.length, 0xFF),
               "the payload buffer's slack is not erased-flash bytes");
    FUZZ_CHECK(p.summary.rfind("\r\nSolution:", 0) == 0, "the summary does not start with its empty line");
    FUZZ_CHECK(IsValidUtf8(p.summary), "the summary is not valid UTF-8");
    if (p.header.mapSize == kAreaAbsent) {
        FUZZ_CHECK(!p.mapImage, "a map image without map data");
        return;
    }
    FUZZ_CHECK(p.mapImage != nullptr, "map data without a map image");
    FUZZ_CHECK(p.header.mapScrambleLength <= p.header.mapSize, "scramble length not clipped to the map size");
    const uint64_t meaningful = uint64_t(p.header.mapSize) + kMapRandomBlockSize;
    FUZZ_CHECK(meaningful <= p.mapImageCapacity, "map image smaller than its data");
    FUZZ_CHECK(AllBytesAre(p.mapImage.get() + meaningful, p.mapImageCapacity - meaningful, 0xFF),
               "the map image's tail is not erased-flash bytes");
}

struct SectorRange {
    uint64_t first = 0;
    uint64_t end = 0;
};

// For a package the checks let through: what the engine will erase and write.
SectorRange CheckAreaLayout(const AreaLayout& area, uint64_t areaLength, uint64_t sourceLength)
{
    FUZZ_CHECK(uint64_t(area.pageCount) * kPageSize >= areaLength && area.pageCount > 0,
               "an area's last bytes are not written");
    FUZZ_CHECK(area.firstSector >= (kAreaWindowStart - kFlashBase) / kSectorSize,
               "an area starts in the boot loader's sectors");
    const uint64_t sectorEnd = uint64_t(area.firstSector) + area.sectorCount;
    FUZZ_CHECK(sectorEnd <= kSectorCount, "an area's erase reaches past the flash window");
    const uint64_t pageEnd = uint64_t(area.firstPage) + area.pageCount;
    FUZZ_CHECK(area.firstPage >= uint64_t(area.firstSector) * kPagesPerSector && pageEnd <= sectorEnd * kPagesPerSector,
               "an area writes pages outside the sectors it erases");
    FUZZ_CHECK(uint64_t(area.pageCount) * kPageSize <= sourceLength, "an area's pages are sent from past its buffer");
    return {area.firstSector, sectorEnd};
}

void CheckAcceptedPackage(const LoadedPackage& p)
{
    const PackageHeader& h = p.header;
    const PackageLayout layout = LayoutOf(h);
    FUZZ_CHECK(layout.main.present, "a package without a main program was accepted");
    SectorRange ranges[3];
    int count = 0;
    if (layout.map.present)
        ranges[count++] = CheckAreaLayout(layout.map, uint64_t(h.mapSize) + kMapRandomBlockSize, p.mapImageCapacity);
    if (layout.voice.present) {
        FUZZ_CHECK(h.voiceOffset <= p.length, "the voice data start past the payload");
        ranges[count++] = CheckAreaLayout(layout.voice, h.voiceSize, p.capacity - h.voiceOffset);
    }
    FUZZ_CHECK(h.mainOffset <= p.length, "the main program starts past the payload");
    ranges[count++] = CheckAreaLayout(layout.main, h.mainSize, p.capacity - h.mainOffset);
    for (int i = 0; i < count; ++i)
        for (int k = i + 1; k < count; ++k)
            FUZZ_CHECK(ranges[i].end <= ranges[k].first || ranges[k].end <= ranges[i].first,
                       "two areas erase the same sector");
}

}  // namespace

int FuzzPackageLoad(const uint8_t* data, size_t size)
{
    if (size > kMaxPackageBytes)
        return 0;
    // Every input is a new load; it touches nothing but what it returns.
    const MapRandomBlock random = MakeMapRandomBlock(kRandomSeed);
    LoadedPackage first, second;
    const char* failure = ParsePackageFile(data, size, random, &first);
    const char* again = ParsePackageFile(data, size, random, &second);
    FUZZ_CHECK((failure == nullptr) == (again == nullptr), "two loads of the same bytes disagree");
    if (failure) {
        FUZZ_CHECK(*failure != '\0', "a load failure without a message");
        FUZZ_CHECK(again && std::strcmp(failure, again) == 0, "two loads of the same bytes fail differently");
        // The package checks come last: a package they refuse is otherwise
        // whole, and they judge it the same way when it is installed.
        if (CheckPackage(first.data.get(), first.length, first.header) == failure) {
            CheckLoadedShape(first, size);
            CheckLoadIsDeterministic(first, second);
        }
        return 0;
    }
    CheckLoadedShape(first, size);
    CheckLoadIsDeterministic(first, second);

    const std::string verdict = CheckPackage(first.data.get(), first.length, first.header);
    FUZZ_CHECK(verdict.empty(), "a package the checks refuse was loaded");
    {
        // The engine computes these only for a package the checks let through.
        uint32_t lengths[2][3], sums[2][3];
        ComputeAreaValues(first.data.get(), first.length, first.header, first.mapImage.get(),
                          first.mapImageCapacity, lengths[0], sums[0]);
        ComputeAreaValues(second.data.get(), second.length, second.header, second.mapImage.get(),
                          second.mapImageCapacity, lengths[1], sums[1]);
        FUZZ_CHECK(std::memcmp(lengths[0], lengths[1], sizeof lengths[0]) == 0 &&
                       std::memcmp(sums[0], sums[1], sizeof sums[0]) == 0,
                   "the check-code values differ between two loads");
        CheckAcceptedPackage(first);
    }
    return 0;
}
