#pragma once
// The payload is scrambled in consecutive 1024-byte chunks (the last may be
// shorter). In a chunk of n bytes, byte i is XORed with key byte 511 - i when
// i < n / 2 and with key byte i otherwise. XOR undoes itself, so the same
// function scrambles and descrambles.

#include <cstddef>
#include <cstdint>

// Applies the chunk rule in place to `length` bytes that begin on a chunk
// boundary. Splitting a payload into pieces whose lengths are multiples of
// 1024 and calling this on each gives the same result as one call.
void DescramblePackage(uint8_t* payload, size_t length, const uint8_t keyBlock[1024]);
