#pragma once
// The map image: a 256-byte random block followed by the map data, whose
// leading mapScrambleLength bytes are XORed with a 16-byte key derived from
// the random block. The key is made anew at every load.

#include <array>
#include <cstdint>

#include "package/Package.h"

using MapRandomBlock = std::array<uint8_t, kMapRandomBlockSize>;
using MapKey = std::array<uint8_t, 16>;

// 256 draws of the seeded generator, low 8 bits each.
MapRandomBlock MakeMapRandomBlock(uint32_t seed);

MapKey DeriveMapKey(const MapRandomBlock& random);

// Fills `image` (capacity bytes, at least 256 + mapSize) from the payload and
// the header, clipping header.mapScrambleLength to mapSize. The bytes past
// 256 + mapSize are set to 0xFF, the erased-flash value, so that sums over
// whole pages never see unset memory. Returns false, writing nothing, when
// the map is absent, lies outside the payload or does not fit the capacity.
bool FillMapImage(uint8_t* image, size_t capacity, const uint8_t* payload, size_t payloadLength,
                  PackageHeader& header, const MapRandomBlock& random);
