#pragma once
// The checks a package passes before anything is sent to a device, and the
// lengths and sums that go into the check-code and descriptor blocks. Pure:
// they read the given payload only, never past its length.

#include <cstdint>
#include <string>

#include "package/Package.h"

// Empty when the package may be programmed, else the message of the first
// check that fails.
std::string CheckPackage(const uint8_t* payload, uint32_t payloadLength, const PackageHeader& header);
// The same over the loaded package.
std::string CheckLoadedPackage();

// Fills areaLengths/areaSums (main, voice, map); absent areas give
// 0xFFFFFFFF. The map's values run over the map image (256 + mapSize bytes,
// rounded up to whole pages); bytes past the payload or the map image count
// as 0xFF, the erased flash value.
void ComputeAreaValues(const uint8_t* payload, uint32_t payloadLength, const PackageHeader& header,
                       const uint8_t* mapImage, uint32_t mapImageCapacity, uint32_t areaLengths[3],
                       uint32_t areaSums[3]);
