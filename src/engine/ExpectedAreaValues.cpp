#include "engine/ExpectedAreaValues.h"

#include <memory>
#include <new>

#include "engine/AreaValues.h"
#include "platform/FlashGeometry.h"

bool ExpectedAreaValues(const uint8_t* payload, uint32_t payloadLength, const PackageHeader& header,
                        const MapRandomBlock& deviceRandomBlock, uint32_t areaLengths[3], uint32_t areaSums[3])
{
    const bool mapPresent = header.mapSize != kAreaAbsent;
    const bool mapInside = mapPresent && payload && uint64_t(header.mapOffset) + header.mapSize <= payloadLength;
    // The image's pages as they were sent: the random block, the map data and
    // the rest of its last page.
    const uint64_t imageLength = uint64_t(header.mapSize) + kMapRandomBlockSize;
    const uint64_t capacity = (imageLength + kPageSize - 1) / kPageSize * kPageSize;
    std::unique_ptr<uint8_t[]> image(mapInside ? new (std::nothrow) uint8_t[capacity] : nullptr);
    PackageHeader clipped = header;  // the image clips the scramble length to the map's
    const bool filled = image && FillMapImage(image.get(), capacity, payload, payloadLength, clipped, deviceRandomBlock);
    ComputeAreaValues(payload, payloadLength, header, filled ? image.get() : nullptr,
                      filled ? static_cast<uint32_t>(capacity) : 0, areaLengths, areaSums);
    return filled || !mapPresent;
}
