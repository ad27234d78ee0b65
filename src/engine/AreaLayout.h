#pragma once
// Where each package area goes in flash: sectors to erase, pages to write.

#include <cstdint>

#include "package/Package.h"

struct AreaLayout {
    int number = 0;           // 1 map, 2 voice, 3 main program (programming order)
    bool present = false;
    uint32_t address = 0;
    uint32_t eraseLength = 0;  // bytes the area occupies: its size, or mapSize + 256
    uint32_t firstSector = 0;
    uint32_t sectorCount = 0;  // every sector [address, address + eraseLength) touches
    uint32_t firstPage = 0;
    uint32_t pageCount = 0;
};

// The three areas in programming order: map, voice, main program.
struct PackageLayout {
    AreaLayout map;
    AreaLayout voice;
    AreaLayout main;
};

// Meaningful for a header that passed CheckPackage (addresses inside the
// window, sizes within bounds).
PackageLayout LayoutOf(const PackageHeader& header);
