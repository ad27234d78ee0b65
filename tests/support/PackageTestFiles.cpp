#include "PackageTestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "support/TestEnvironment.h"

PackageTempDir::PackageTempDir()
{
    // With the system's separator, as the programs write the paths they show.
    m_path = MakeTempFolder("kt7-package").string() + static_cast<char>(std::filesystem::path::preferred_separator);
}

PackageTempDir::~PackageTempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void WriteBytesToFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot create " + path);
    // fwrite must not see the null data pointer of an empty vector.
    bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written)
        throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> PatternBytes(size_t length, uint8_t salt)
{
    std::vector<uint8_t> bytes(length);
    uint32_t state = 0x9E3779B9u * (salt + 1u);
    for (auto& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<uint8_t>(state >> 24);
    }
    return bytes;
}

PackageSpec SamplePackageSpec(const SampleSizes& sizes)
{
    PackageSpec contents;
    contents.main = PackageArea{PatternBytes(sizes.main, 1), 0x40010000u, "M101"};
    contents.voice = PackageArea{PatternBytes(sizes.voice, 2), 0x40020000u, "V202"};
    contents.map = PackageArea{PatternBytes(sizes.map, 3), 0x40030000u, "D303"};
    contents.updateTime = "2026-12-10";
    contents.mapScrambleLength = sizes.mapScrambleLength;
    contents.keyBlock = MakeKeyBlock(7);
    return contents;
}
