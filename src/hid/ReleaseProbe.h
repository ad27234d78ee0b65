#pragma once
// Which kind of device is attached: the USB release number of the first
// matching device picks the package file and the command set.

#include <cstdint>

inline constexpr uint16_t kGenericRelease = 0x0000;
inline constexpr uint16_t kGenericReleaseAlt = 0x5512;
inline constexpr int kReleaseTextSize = 5;  // four hex digits and a zero byte

// Devices with these release numbers take the generic package and the base
// command codes.
bool IsGenericRelease(uint16_t release);

// Writes the release number as four upper-case hex digits and a zero byte.
void FormatReleaseText(uint16_t release, char releaseText[kReleaseTextSize]);

// Looks for the first present device with these IDs without opening it.
// Returns 1 when found, else 0. `release` receives the release number of the
// last device looked at; it is meaningful only when the result is 1.
int FindHidDevice(uint16_t vendorId, uint16_t productId, uint16_t* release);

// Probes the first updater device. No device: tells the user and returns 0.
// A generic release number: returns 0, text untouched. Any other: writes its
// four upper-case hex digits and a zero byte to `releaseText` (5 bytes) and
// returns 1.
int ProbeDeviceRelease(char* releaseText);

// The upper-case hexadecimal digit of the low four bits.
char HexDigitChar(unsigned int value);
