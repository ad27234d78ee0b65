#pragma once
// kt7-pack's own account of areas placed where the update would refuse
// them, in the terms of its command line: which options, at which addresses.

#include <optional>
#include <string>

#include "package/PackageWriter.h"

// Why the given areas cannot go where they are asked to (below the area
// window, inside a page, past the flash's end, out of the order main,
// voice, map, or two of them in one sector); none when they may.
std::optional<std::string> AreaPlacementProblem(const PackageSpec& contents);
