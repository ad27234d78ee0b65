#pragma once
// The command operations: each opens every attached device, carries out one
// command on device 0, 1, ... in turn, stops at the first device that fails,
// and closes them again. Results as stated per operation.

#include <cstddef>
#include <cstdint>

// Bound of every single report transfer: a device that stays attached but
// never answers fails like an unplugged one instead of hanging the update.
inline constexpr uint32_t kTransferTimeoutMs = 5000;

// The read that follows an erase waits for the erase itself; it gets this much
// more per sector so that a long erase is never cut short.
inline constexpr uint32_t kEraseTimeoutPerSectorMs = 500;

// Bound of the first handshake read after erasing `sectors` sectors.
uint32_t EraseHandshakeTimeoutMs(uint32_t sectors);

// Writes `pageCount` pages (256 bytes each) from `source` from `firstPage`
// on. Returns pageCount * 256 once every device has them, 0 on failure or
// when no device is attached.
int WritePages(const uint8_t* source, uint32_t firstPage, uint32_t pageCount);

// Erases `sectorCount` sectors from `firstSector` on and waits for each
// device to finish. Returns sectorCount on success (so 0 sectors reads as
// failure), 0 on failure or when no device is attached.
int EraseSectors(uint32_t firstSector, uint32_t sectorCount);

// Sends the area table with the start sectors of the three areas (0xFFFF for
// an absent one). 0 on success or with no device, 1 on failure.
int WriteAreaInfo(uint16_t mainSector, uint16_t voiceSector, uint16_t mapSector);

// Asks the devices to reset; they leave the bus and come back. 0 on success
// or with no device, 1 on failure.
int SendReset();

// Tells the devices the update is over. 0 on success or with no device, 1 on
// failure.
int SendEnd();

// Boot-loader version verdicts.
inline constexpr int kBootloaderVerdictUnknown = 0;
inline constexpr int kBootloaderVerdictCurrent = 1;
inline constexpr int kBootloaderVerdictTooOld = 2;
inline constexpr int kBootloaderVersionAnswerSize = 64;
inline constexpr long kMinimumBootloaderVersion = 108;

// The verdict after one version answer: `A` and a number below 108 (white
// space and a sign may precede the digits) -> 2, `A` otherwise or `B` -> 1,
// anything else keeps `verdict`.
int ClassifyBootloaderAnswer(const uint8_t* answer, size_t length, int verdict);

// Asks every device for its boot-loader version. *verdict is that of the last
// device whose answer could be classified (0 when none). Returns 64 once a
// device has answered, else 0.
int CheckBootloaderVersion(int* verdict);
