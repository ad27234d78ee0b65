#pragma once
// The lengths and sums that go into the check-code and descriptor blocks.
// Pure: they read the given buffers only, never past their lengths.

#include <cstdint>

#include "package/Package.h"

// Fills areaLengths/areaSums (main, voice, map); absent areas give
// 0xFFFFFFFF. Sums run over every page an area's bytes touch, as they are
// sent: the map's over the map image (256 + mapSize bytes, rounded up to
// whole pages); bytes past the payload or the map image's capacity count as
// 0xFF, the erased flash value.
void ComputeAreaValues(const uint8_t* payload, uint32_t payloadLength, const PackageHeader& header,
                       const uint8_t* mapImage, uint32_t mapImageCapacity, uint32_t areaLengths[3],
                       uint32_t areaSums[3]);
