#pragma once
// Which kind of device is attached: the USB release number of the first
// matching device picks the package file and the command set.

#include <cstdint>

#include "platform/Clock.h"
#include "platform/HidBackend.h"

inline constexpr uint16_t kGenericRelease = 0x0000;
inline constexpr uint16_t kGenericReleaseAlt = 0x5512;
inline constexpr int kReleaseTextSize = 5;  // four hex digits and a zero byte

// Devices with these release numbers take the generic package and the base
// command codes.
bool IsGenericRelease(uint16_t release);

// Writes the release number as four upper-case hex digits and a zero byte.
void FormatReleaseText(uint16_t release, char releaseText[kReleaseTextSize]);

// Looks for the first present device with these IDs without opening it,
// giving one still enumerating half a second. Returns 1 when found, else 0.
// `release` receives the release number of the last device looked at; it is
// meaningful only when the result is 1.
int FindHidDevice(HidBackend& backend, Clock& clock, uint16_t vendorId, uint16_t productId, uint16_t* release);

struct ReleaseProbe {
    bool found = false;           // false: no updater device attached
    bool deviceSpecific = false;  // its release number selects a package and commands of its own
    uint16_t release = 0;
    char releaseText[kReleaseTextSize] = {};  // four hex digits when deviceSpecific, else empty
};

// Probes the first updater device. It shows nothing: a front end that wants
// to tell the user that no device was found does so from the answer.
ReleaseProbe ProbeDeviceRelease(HidBackend& backend, Clock& clock);

// The upper-case hexadecimal digit of the low four bits.
char HexDigitChar(unsigned int value);
