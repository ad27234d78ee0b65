#pragma once
// Reading pages back from one device: as they are, or compared with the bytes
// that were written there. The one routine behind every read of flash.

#include <cstdint>
#include <functional>

class CHidCmd;

struct PageComparison {
    bool sent = false;      // false: the read command itself did not go out
    bool answered = false;  // false: the device did not answer the read in full
    bool matches = false;
    uint32_t offset = 0;    // the first byte that differs (when answered) or was not
                            // received (when not), counted from the first page
};

// Sends one READ for `pageCount` pages from `firstPage` to `device` and
// compares the answer report by report with `expected` (pageCount * 256
// bytes); stops at the first difference, leaving the rest of the answer to be
// dropped when the devices are closed. `onReceived`, when given, is called
// after each report with the byte count compared so far.
PageComparison ReadBackPages(CHidCmd& cmd, int device, const uint8_t* expected, uint32_t firstPage,
                             uint32_t pageCount, const std::function<void(uint32_t)>& onReceived = {});

// Sends one READ for `pageCount` pages from `firstPage` to `device` and puts
// the answer into `pages` (pageCount * 256 bytes). `matches` is true once all
// of it came; `offset` is how much did when it did not.
PageComparison ReadPages(CHidCmd& cmd, int device, uint32_t firstPage, uint32_t pageCount, uint8_t* pages);
