#pragma once
// Reading a freshly written boot loader back from every device: a transfer
// that went wrong must not be followed by a reset into a boot loader that may
// never start again.

#include <cstdint>

class DeviceSet;

struct ReadBackResult {
    bool matches = false;
    int device = 0;         // the first device that failed
    bool answered = false;  // false: it did not answer the read in full
    uint32_t page = 0;      // when it answered: the first page that differs
};

// Reads pages 0 to pageCount - 1 from each device of `devices` in turn (one
// READ command, then the pages' bytes in reports) and compares them with
// `image`; stops at the first device that differs or does not answer, whose
// failure the set then holds.
ReadBackResult ReadBackBootloader(DeviceSet& devices, const uint8_t* image, uint32_t pageCount);
