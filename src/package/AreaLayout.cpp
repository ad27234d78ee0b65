#include "package/AreaLayout.h"

#include "platform/FlashGeometry.h"

namespace {

// Every page the bytes touch; a tail shorter than a page still fills one.
uint32_t PagesFor(uint64_t length)
{
    return static_cast<uint32_t>((length + kPageSize - 1) / kPageSize);
}

AreaLayout Layout(int number, uint32_t size, uint32_t address, uint64_t length)
{
    AreaLayout area;
    area.number = number;
    area.present = size != kAreaAbsent;
    if (!area.present)
        return area;
    const uint64_t start = address - kFlashBase;
    const uint64_t end = start + length;
    area.firstSector = static_cast<uint32_t>(start / kSectorSize);
    // Every sector the area touches, so that an area that does not start on a
    // sector boundary still lands in erased flash.
    area.sectorCount = static_cast<uint32_t>((end + kSectorSize - 1) / kSectorSize - area.firstSector);
    area.firstPage = static_cast<uint32_t>(start / kPageSize);
    area.pageCount = PagesFor(length);
    return area;
}

}  // namespace

PackageLayout LayoutOf(const PackageHeader& h)
{
    PackageLayout layout;
    layout.map = Layout(1, h.mapSize, h.mapAddress, uint64_t(h.mapSize) + kMapRandomBlockSize);
    layout.voice = Layout(2, h.voiceSize, h.voiceAddress, h.voiceSize);
    layout.main = Layout(3, h.mainSize, h.mainAddress, h.mainSize);
    return layout;
}
