#include "platform/Sha256.h"

#include <algorithm>
#include <vector>

#include "platform/RegularFile.h"

namespace {

constexpr uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

constexpr std::array<uint32_t, 8> kInitialState = {
    0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19,
};

// Files are read in pieces of this size.
constexpr size_t kFilePiece = 64 * 1024;

uint32_t RotateRight(uint32_t value, int bits)
{
    return value >> bits | value << (32 - bits);
}

uint32_t LoadBe32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

}  // namespace

Sha256::Sha256() : m_state(kInitialState) {}

void Sha256::Compress(const uint8_t block[64])
{
    uint32_t w[64];
    for (int i = 0; i < 16; ++i)
        w[i] = LoadBe32(block + 4 * i);
    for (int i = 16; i < 64; ++i) {
        const uint32_t s0 = RotateRight(w[i - 15], 7) ^ RotateRight(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const uint32_t s1 = RotateRight(w[i - 2], 17) ^ RotateRight(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
    uint32_t e = m_state[4], f = m_state[5], g = m_state[6], h = m_state[7];
    for (int i = 0; i < 64; ++i) {
        const uint32_t s1 = RotateRight(e, 6) ^ RotateRight(e, 11) ^ RotateRight(e, 25);
        const uint32_t choice = (e & f) ^ (~e & g);
        const uint32_t t1 = h + s1 + choice + kRoundConstants[i] + w[i];
        const uint32_t s0 = RotateRight(a, 2) ^ RotateRight(a, 13) ^ RotateRight(a, 22);
        const uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        const uint32_t t2 = s0 + majority;
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
    m_state[4] += e;
    m_state[5] += f;
    m_state[6] += g;
    m_state[7] += h;
}

void Sha256::Update(const uint8_t* bytes, size_t length)
{
    m_totalBytes += length;
    while (length > 0) {
        if (m_blockFill == 0 && length >= m_block.size()) {
            Compress(bytes);
            bytes += m_block.size();
            length -= m_block.size();
            continue;
        }
        const size_t take = std::min(length, m_block.size() - m_blockFill);
        std::copy(bytes, bytes + take, m_block.begin() + static_cast<std::ptrdiff_t>(m_blockFill));
        m_blockFill += take;
        bytes += take;
        length -= take;
        if (m_blockFill == m_block.size()) {
            Compress(m_block.data());
            m_blockFill = 0;
        }
    }
}

void Sha256::Update(std::string_view text)
{
    Update(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

Sha256Digest Sha256::Finish()
{
    // Padding: a one bit, zeros up to 56 bytes into a block, then the
    // message's length in bits, big-endian.
    const uint64_t bits = m_totalBytes * 8;
    uint8_t padding[72] = {0x80};
    const size_t zeros = (m_blockFill < 56 ? 56 : 120) - m_blockFill;
    for (int i = 0; i < 8; ++i)
        padding[zeros + static_cast<size_t>(i)] = static_cast<uint8_t>(bits >> (56 - 8 * i));
    Update(padding, zeros + 8);

    Sha256Digest digest;
    for (size_t i = 0; i < m_state.size(); ++i)
        for (int k = 0; k < 4; ++k)
            digest[4 * i + static_cast<size_t>(k)] = static_cast<uint8_t>(m_state[i] >> (24 - 8 * k));
    return digest;
}

Sha256Digest Sha256Of(const uint8_t* bytes, size_t length)
{
    Sha256 hash;
    hash.Update(bytes, length);
    return hash.Finish();
}

Sha256Digest Sha256Of(std::string_view text)
{
    Sha256 hash;
    hash.Update(text);
    return hash.Finish();
}

std::string Sha256Hex(const Sha256Digest& digest)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * digest.size());
    for (uint8_t byte : digest) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0F];
    }
    return hex;
}

std::optional<Sha256Digest> Sha256OfFile(const std::string& path)
{
    RegularFile file(path);
    if (!file.IsOpen())
        return std::nullopt;
    Sha256 hash;
    std::vector<uint8_t> piece(kFilePiece);
    for (;;) {
        const ssize_t got = file.Read(piece.data(), piece.size());
        if (got < 0)
            return std::nullopt;
        hash.Update(piece.data(), static_cast<size_t>(got));
        if (static_cast<size_t>(got) < piece.size())
            return hash.Finish();
    }
}
