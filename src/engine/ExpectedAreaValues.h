#pragma once
// The lengths and sums a device that holds a package keeps in its control
// blocks. The map's sum runs over the map image as it was sent, whose first
// page is the random block made when the package was loaded for that update:
// a later load of the same package has another block, and another sum. The
// device keeps its block as the first page of its map area; with it, the sum
// comes out as the device's.

#include <cstdint>
#include <vector>

#include "package/MapImage.h"
#include "package/Package.h"

// The map image's pages as an update sends them when the map's first page is
// `deviceRandomBlock`: the block, the map data and the rest of its last page.
// Empty when the map is absent, lies outside the payload or memory is short.
std::vector<uint8_t> ExpectedMapImage(const uint8_t* payload, uint32_t payloadLength, const PackageHeader& header,
                                      const MapRandomBlock& deviceRandomBlock);

// Fills areaLengths/areaSums (main, voice, map) as ComputeAreaValues does, the
// map's over the image made with `deviceRandomBlock`. False, with the map's
// sum over erased bytes, when the map lies outside the payload or its image
// cannot be had.
bool ExpectedAreaValues(const uint8_t* payload, uint32_t payloadLength, const PackageHeader& header,
                        const MapRandomBlock& deviceRandomBlock, uint32_t areaLengths[3], uint32_t areaSums[3]);
