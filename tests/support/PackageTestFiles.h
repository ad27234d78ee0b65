#pragma once
// Helpers for tests that need package files on disk: a temporary folder that
// removes itself, and a small valid package description to start from.

#include <cstdint>
#include <string>
#include <vector>

#include "package/PackageWriter.h"

class PackageTempDir {
public:
    PackageTempDir();
    ~PackageTempDir();
    PackageTempDir(const PackageTempDir&) = delete;
    PackageTempDir& operator=(const PackageTempDir&) = delete;

    // The folder, with a trailing separator.
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + name; }

private:
    std::string m_path;
};

void WriteBytesToFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Pseudo-random bytes, the same for the same `salt`, so that areas are told
// apart and their check bytes differ.
std::vector<uint8_t> PatternBytes(size_t length, uint8_t salt);

// A package with all three areas in flash order and a fixed key block: main
// at 0x40010000, voice at 0x40020000, map at 0x40030000; by default 0x1000,
// 0x800 and 0x400 bytes, page-sized.
struct SampleSizes {
    uint32_t main = 0x1000;
    uint32_t voice = 0x800;
    uint32_t map = 0x400;
    uint32_t mapScrambleLength = 0x100;
};
PackageSpec SamplePackageSpec(const SampleSizes& sizes = {});
