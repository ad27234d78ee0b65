#pragma once
// What one device holds, read from the device itself: its two control blocks
// and the first page of the package's map area (the device's own random
// block, which the map's sum depends on; ExpectedAreaValues.h). When the
// blocks name the package, also the first and last page of each of its
// areas: the update erases an area before writing it from first page to
// last, so an area it left unfinished differs at one of its ends, while the
// blocks, written after every area, still name what the device held before.
// Reads only: no erase, write, end or reset goes out.

#include <array>
#include <optional>

#include "engine/ControlBlockReading.h"
#include "hid/DeviceFailure.h"
#include "package/PackageParser.h"

class DeviceSet;

struct HeldPackageRead {
    std::optional<ControlBlockReading> reading;  // null: the device could not be read
    // When the blocks name the package: per area (main, voice, map) whether
    // its first and last pages are what the update writes there (true for an
    // absent area). The map's first page is the device's own block.
    std::optional<std::array<bool, 3>> areaEndsAgree;
    std::optional<DeviceFailure> failure;        // why, when it could not be read
};

// Reads from the one device `devices` sees, under the set's command set, and
// compares what it holds with `package`. A failure is recorded in the set as
// well (its log line names the device, the page and why).
HeldPackageRead ReadHeldPackage(DeviceSet& devices, const LoadedPackage& package);
