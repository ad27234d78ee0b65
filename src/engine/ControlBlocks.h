#pragma once
// The two 256-byte blocks written after the areas: the check-code block
// (page 160) and the program descriptor block (page 128). Their values are
// masked with random words so that only the device can read them back.

#include <cstdint>

#include "package/Package.h"
#include "platform/FlashGeometry.h"
#include "platform/Random.h"

inline constexpr uint32_t PROGRAM_DESCRIPTOR_SIGNATURE = 0x86017618u;
inline constexpr uint32_t kBlockWords = kPageSize / 4;

// Two draws: the first in the upper 16 bits, the second in the lower.
uint32_t DrawRandomWord(Random& random);

// areaLengths/areaSums as ProgramAreas hands them back (main, voice, map).
void BuildCheckCodeBlock(const uint32_t areaLengths[3], const uint32_t areaSums[3], Random& random,
                         uint8_t block[kPageSize]);
void BuildProgramDescriptorBlock(const uint32_t areaLengths[3], const uint32_t areaSums[3],
                                 const PackageHeader& header, Random& random, uint8_t block[kPageSize]);
