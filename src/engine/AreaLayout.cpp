#include "engine/AreaLayout.h"

#include "platform/FlashGeometry.h"

namespace {

AreaLayout Layout(int number, uint32_t size, uint32_t address, uint32_t eraseLength, uint32_t pageCount)
{
    AreaLayout area;
    area.number = number;
    area.present = size != kAreaAbsent;
    if (!area.present)
        return area;
    const uint64_t start = address - kFlashBase;
    const uint64_t end = start + eraseLength;
    area.firstSector = static_cast<uint32_t>(start / kSectorSize);
    // Every sector the area touches, so that an area that does not start on a
    // sector boundary still lands in erased flash.
    area.sectorCount = static_cast<uint32_t>((end + kSectorSize - 1) / kSectorSize - area.firstSector);
    area.firstPage = static_cast<uint32_t>(start / kPageSize);
    area.pageCount = pageCount;
    return area;
}

}  // namespace

PackageLayout LayoutOf(const PackageHeader& h)
{
    PackageLayout layout;
    layout.map = Layout(1, h.mapSize, h.mapAddress, h.mapSize + kMapRandomBlockSize, h.mapSize / kPageSize + 1);
    layout.voice = Layout(2, h.voiceSize, h.voiceAddress, h.voiceSize, h.voiceSize / kPageSize);
    layout.main = Layout(3, h.mainSize, h.mainAddress, h.mainSize, h.mainSize / kPageSize);
    return layout;
}
