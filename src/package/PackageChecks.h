#pragma once
// The checks a package passes before anything is sent to a device: when it is
// loaded, again before its areas are programmed, and in kt7-pack on what it
// wrote. Also the check bytes of its areas, which the package writer stores
// and the checks compare. Pure: they read the given payload only, never past
// its length.

#include <cstddef>
#include <cstdint>
#include <string>

#include "package/Package.h"

struct PackageCheckBytes {
    uint8_t main = 0;
    uint8_t voice = 0;
    uint8_t map = 0;
    // The running offset just past each area's blocks. A check whose blocks
    // end past the payload can't pass, whatever its byte.
    uint64_t mainEnd = 0;
    uint64_t voiceEnd = 0;
    uint64_t mapEnd = 0;
};

// For each present area in the order main, voice, map: the XOR of every byte
// of (size / 1024) & 0xFFFF consecutive 1024-byte blocks of the payload. One
// running offset starts at `mainOffset` and runs on from area to area; it is
// not taken from the voice or map offsets. An absent area gets 0 and does not
// move the offset. Bytes past `length` read as 0xFF, the erased-flash value,
// so that the writer never reads outside its buffer; the update refuses a
// package whose check blocks run past the payload in any case.
PackageCheckBytes ComputeCheckBytes(const uint8_t* payload, size_t length, const PackageHeader& header);

// Null when the package may be programmed, else the message of the first
// check that fails: payload length and alignment, area sizes, addresses and
// extents (inside the flash window and the payload, each present area
// starting on a page, no two areas in one sector), the main program's
// presence, and the check bytes.
const char* FirstFailedCheck(const uint8_t* payload, uint32_t payloadLength, const PackageHeader& header);
// The same as text: empty when the package passes.
std::string CheckPackage(const uint8_t* payload, uint32_t payloadLength, const PackageHeader& header);
