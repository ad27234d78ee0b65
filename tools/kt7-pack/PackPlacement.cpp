#include "PackPlacement.h"

#include <cstdio>
#include <vector>

#include "platform/FlashGeometry.h"

namespace {

struct PlacedArea {
    const char* option;
    uint64_t start;  // flash address
    uint64_t end;    // first address past its bytes
};

std::string Hex(uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%08llX", static_cast<unsigned long long>(value));
    return text;
}

// "--main (0x40010000-0x40010FFF)"
std::string Span(const PlacedArea& area)
{
    return std::string(area.option) + " (" + Hex(area.start) + "-" + Hex(area.end - 1) + ")";
}

// Sectors are counted from address 0 here; only their boundaries matter.
uint64_t FirstSector(const PlacedArea& area)
{
    return area.start / kSectorSize;
}

uint64_t LastSector(const PlacedArea& area)
{
    return (area.end - 1) / kSectorSize;
}

// The present areas in the update's address order. An empty area still takes
// a byte, so that it has a place to compare; the update refuses it anyway.
std::vector<PlacedArea> Placed(const PackageSpec& contents)
{
    std::vector<PlacedArea> areas;
    const auto add = [&](const char* option, const std::optional<PackageArea>& area, uint64_t extra) {
        if (area) {
            const uint64_t length = area->data.size() + extra;
            areas.push_back({option, area->address, uint64_t(area->address) + (length ? length : 1)});
        }
    };
    add("--main", contents.main, 0);
    add("--voice", contents.voice, 0);
    add("--map", contents.map, kMapRandomBlockSize);  // the random block goes in front of the map data
    return areas;
}

std::optional<std::string> OwnPlaceProblem(const PlacedArea& area)
{
    const std::string at = std::string(area.option) + " at " + Hex(area.start);
    if (area.start < kAreaWindowStart)
        return at + " is below " + Hex(kAreaWindowStart) +
               ": the flash below it holds the boot loader and the control blocks";
    if (area.start % kPageSize != 0)
        return at + " is not on a 256-byte page boundary: the device would write it from " +
               Hex(area.start / kPageSize * kPageSize);
    if (area.end > kFlashEnd)
        return Span(area) + " reaches past the end of the flash at " + Hex(kFlashEnd) +
               (std::string(area.option) == "--map" ? " (the map has a 256-byte block in front of its data)" : "");
    return std::nullopt;
}

}  // namespace

std::optional<std::string> AreaPlacementProblem(const PackageSpec& contents)
{
    const std::vector<PlacedArea> areas = Placed(contents);
    for (const PlacedArea& area : areas)
        if (std::optional<std::string> problem = OwnPlaceProblem(area))
            return problem;
    for (size_t i = 0; i + 1 < areas.size(); ++i) {
        const PlacedArea& low = areas[i];
        const PlacedArea& high = areas[i + 1];
        if (high.start <= low.start)
            return std::string(high.option) + " at " + Hex(high.start) + " is not above " + low.option + " at " +
                   Hex(low.start) + ": the areas go in the order --main, --voice, --map";
        if (high.start < low.end)
            return Span(low) + " and " + Span(high) + " overlap";
        if (FirstSector(high) <= LastSector(low))
            return Span(low) + " and " + Span(high) + " share the flash sector at " +
                   Hex(FirstSector(high) * kSectorSize) + ", which the update erases whole";
    }
    return std::nullopt;
}
