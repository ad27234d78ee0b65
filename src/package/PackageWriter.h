#pragma once
// Builds update package files: the header, the areas laid out in the payload,
// the check bytes the update verifies, and the scrambling against a key block.
// Used by kt7-pack and by tests that need good or deliberately bad packages.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "package/Package.h"

using KeyBlock = std::array<uint8_t, kKeyBlockSize>;

struct PackageArea {
    std::vector<uint8_t> data;
    uint32_t address = 0;  // flash address the area is written to
    std::string version;   // up to 4 bytes (8-bit text); longer is cut
};

struct PackageSpec {
    std::optional<PackageArea> main;
    std::optional<PackageArea> voice;
    std::optional<PackageArea> map;
    std::string updateTime;            // up to 10 bytes (8-bit text)
    uint32_t mapScrambleLength = 0;
    std::string magic = kPackageMagic;  // up to 8 bytes
    // The key block the payload is scrambled against; random when absent.
    std::optional<KeyBlock> keyBlock;
    // Each area's data is padded in the payload with 0xFF to a multiple of
    // 256 bytes, so that the payload keeps the alignment the update demands.
    // The size fields keep the areas' own lengths.
    bool padAreasToPages = true;
    // Runs on the finished header (offsets, sizes and check bytes filled in)
    // before it is stored; lets tests make packages with wrong fields.
    std::function<void(PackageHeader&)> editHeader;
    // Runs on the plain payload (header stored) before scrambling; lets tests
    // cut, extend or damage it.
    std::function<void(std::vector<uint8_t>&)> editPayload;
};

// A key block of pseudo-random bytes from `seed` (same seed, same block).
KeyBlock MakeKeyBlock(uint32_t seed);

// The plain (descrambled) payload: header followed by main, voice and map.
std::vector<uint8_t> BuildPackagePayload(const PackageSpec& contents);

// The whole package file: key block followed by the scrambled payload.
std::vector<uint8_t> BuildPackageFile(const PackageSpec& contents);

// Writes BuildPackageFile(contents) to `path`. On failure returns false and puts
// a reason into `error` (when given).
bool WritePackageFile(const std::string& path, const PackageSpec& contents, std::string* error = nullptr);
// Writes a package file already built.
bool WritePackageBytes(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error = nullptr);
