#pragma once
// What kt7-pack says after it wrote a package: the file, its size and
// fingerprint, and where each area goes.

#include <cstdint>
#include <string>
#include <vector>

#include "package/Package.h"

// The lines printed on success, each ending in '\n':
//   wrote out/KT7_Down.dat, 6272 bytes
//   SHA-256 3b5c…
//   area   address      bytes  sectors  pages       version
//   main   0x40010000    4096  16       256-271     M1
std::string PackReport(const std::string& path, const std::vector<uint8_t>& file, const PackageHeader& header);
