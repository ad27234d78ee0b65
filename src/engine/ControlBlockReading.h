#pragma once
// What a device's two control blocks say it holds, read back as the update
// writes them (ControlBlocks.h): the check-code block of page 160 and the
// program descriptor block of page 128. For a look at a device that writes
// nothing.

#include <array>
#include <cstdint>
#include <optional>

#include "platform/FlashGeometry.h"

enum class BlockState {
    Valid,     // as the update writes it
    Erased,    // every byte 0xFF: the update erased it and wrote nothing yet, or never ran
    NotValid,  // anything else
};

enum class HeldPackage {
    ThisPackage,   // both blocks valid, every length and sum that of the package
    OtherPackage,  // both blocks valid, some value differs
    NoPackage,     // a block erased or not valid
};

// The values the blocks keep, unmasked. Lengths and sums are main, voice,
// map, as ComputeAreaValues gives them; an absent area's are 0xFFFFFFFF.
struct ControlBlockValues {
    std::array<uint32_t, 3> areaLengths{};
    std::array<uint32_t, 3> areaSums{};
    uint32_t voiceAddress = 0;
    uint32_t mapAddress = 0;
};

struct ControlBlockReading {
    HeldPackage held = HeldPackage::NoPackage;
    BlockState checkCode = BlockState::NotValid;
    BlockState descriptor = BlockState::NotValid;
    // Decoded when both blocks are valid.
    std::optional<ControlBlockValues> values;
    // Per area (main, voice, map): whether the device's value is the
    // package's. All false without values.
    std::array<bool, 3> lengthAgrees{};
    std::array<bool, 3> sumAgrees{};
};

// `expectedLengths`/`expectedSums` are those a device holding the package
// keeps (ExpectedAreaValues.h: the map's sum depends on the device's own
// random block).
ControlBlockReading ReadControlBlocks(const uint8_t checkCodeBlock[kPageSize], const uint8_t descriptorBlock[kPageSize],
                                     const uint32_t expectedLengths[3], const uint32_t expectedSums[3]);
