#pragma once
// SHA-256 (FIPS 180-4): the fingerprint that tells a dealer the package in
// hand is the one they mean. Streaming, so that a large file is hashed in
// pieces without holding it whole.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

using Sha256Digest = std::array<uint8_t, 32>;

class Sha256 {
public:
    Sha256();
    void Update(const uint8_t* bytes, size_t length);
    void Update(std::string_view text);
    // The digest of everything given so far. The object is spent afterwards:
    // start a new one for the next message.
    Sha256Digest Finish();

private:
    void Compress(const uint8_t block[64]);

    std::array<uint32_t, 8> m_state;
    std::array<uint8_t, 64> m_block{};
    size_t m_blockFill = 0;
    uint64_t m_totalBytes = 0;
};

Sha256Digest Sha256Of(const uint8_t* bytes, size_t length);
Sha256Digest Sha256Of(std::string_view text);

// 64 lowercase hexadecimal digits.
std::string Sha256Hex(const Sha256Digest& digest);

// The digest of a whole regular file, read in pieces; none when it cannot be
// opened, is not a regular file, or a read fails.
std::optional<Sha256Digest> Sha256OfFile(const std::string& path);
