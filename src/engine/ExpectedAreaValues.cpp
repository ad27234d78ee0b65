#include "engine/ExpectedAreaValues.h"

#include <new>

#include "engine/AreaValues.h"
#include "platform/FlashGeometry.h"

std::vector<uint8_t> ExpectedMapImage(const uint8_t* payload, uint32_t payloadLength, const PackageHeader& header,
                                      const MapRandomBlock& deviceRandomBlock)
{
    const bool mapPresent = header.mapSize != kAreaAbsent;
    if (!mapPresent || !payload || uint64_t(header.mapOffset) + header.mapSize > payloadLength)
        return {};
    const uint64_t imageLength = uint64_t(header.mapSize) + kMapRandomBlockSize;
    std::vector<uint8_t> image;
    try {
        image.resize((imageLength + kPageSize - 1) / kPageSize * kPageSize);
    } catch (const std::bad_alloc&) {
        return {};
    }
    PackageHeader clipped = header;  // the image clips the scramble length to the map's
    if (!FillMapImage(image.data(), image.size(), payload, payloadLength, clipped, deviceRandomBlock))
        return {};
    return image;
}

bool ExpectedAreaValues(const uint8_t* payload, uint32_t payloadLength, const PackageHeader& header,
                        const MapRandomBlock& deviceRandomBlock, uint32_t areaLengths[3], uint32_t areaSums[3])
{
    const std::vector<uint8_t> image = ExpectedMapImage(payload, payloadLength, header, deviceRandomBlock);
    ComputeAreaValues(payload, payloadLength, header, image.empty() ? nullptr : image.data(),
                      static_cast<uint32_t>(image.size()), areaLengths, areaSums);
    return !image.empty() || header.mapSize == kAreaAbsent;
}
