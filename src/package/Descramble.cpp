#include "package/Descramble.h"

#include <cstring>

#include "package/Package.h"

namespace {

constexpr size_t kChunk = kKeyBlockSize;

// The key byte that chunk byte i of an n-byte chunk is XORed with.
inline uint8_t KeyByteFor(const uint8_t* key, size_t i, size_t n)
{
    return i < n / 2 ? key[511 - i] : key[i];
}

} // namespace

void DescramblePackage(uint8_t* payload, size_t length, const uint8_t keyBlock[1024])
{
    // Every full chunk uses the same pattern; XOR it word by word.
    alignas(64) uint8_t pattern[kChunk];
    for (size_t i = 0; i < kChunk; ++i)
        pattern[i] = KeyByteFor(keyBlock, i, kChunk);

    size_t offset = 0;
    for (; offset + kChunk <= length; offset += kChunk) {
        uint8_t* chunk = payload + offset;
        for (size_t w = 0; w < kChunk; w += sizeof(uint64_t)) {
            uint64_t data, mask;
            std::memcpy(&data, chunk + w, sizeof data);
            std::memcpy(&mask, pattern + w, sizeof mask);
            data ^= mask;
            std::memcpy(chunk + w, &data, sizeof data);
        }
    }

    // The final short chunk splits at its own half.
    size_t n = length - offset;
    for (size_t i = 0; i < n; ++i)
        payload[offset + i] ^= KeyByteFor(keyBlock, i, n);
}
