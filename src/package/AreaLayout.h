#pragma once
// Where each package area goes in flash: sectors to erase, pages to write.

#include <cstdint>

#include "package/Package.h"

struct AreaLayout {
    int number = 0;           // 1 map, 2 voice, 3 main program (programming order)
    bool present = false;
    uint32_t firstSector = 0;
    // Every sector the area's bytes touch: its size, or mapSize + 256 for the
    // map image, from its address on.
    uint32_t sectorCount = 0;
    uint32_t firstPage = 0;
    // Every page the same bytes touch, the last one completed with whatever
    // follows them in the buffer sent (0xFF past the payload's end).
    uint32_t pageCount = 0;
};

// The three areas in programming order: map, voice, main program.
struct PackageLayout {
    AreaLayout map;
    AreaLayout voice;
    AreaLayout main;
};

// Meaningful for a header whose sizes and address order have passed
// CheckPackage's first checks (addresses inside the window, sizes within
// bounds).
PackageLayout LayoutOf(const PackageHeader& header);
