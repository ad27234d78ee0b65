#include "hid/ReleaseProbe.h"

#include "hid/DeviceIdentity.h"

namespace {

// A device that is still enumerating gets half a second to show up.
constexpr int kSearchRetries = 5;
constexpr uint32_t kSearchRetryMs = 100;

} // namespace

int FindHidDevice(HidBackend& backend, Clock& clock, uint16_t vendorId, uint16_t productId, uint16_t* release)
{
    for (int attempt = 0;; ++attempt) {
        for (const HidDeviceInfo& info : backend.Enumerate()) {
            if (release)
                *release = info.releaseNumber;
            if (info.vendorId == vendorId && info.productId == productId)
                return 1;
        }
        if (attempt == kSearchRetries)
            return 0;
        clock.Sleep(kSearchRetryMs);
    }
}

ReleaseProbe ProbeDeviceRelease(HidBackend& backend, Clock& clock)
{
    ReleaseProbe probe;
    uint16_t release = 0;
    if (!FindHidDevice(backend, clock, kDeviceVendorId, kDeviceProductId, &release))
        return probe;
    probe.found = true;
    probe.release = release;
    if (IsGenericRelease(release))
        return probe;
    probe.deviceSpecific = true;
    FormatReleaseText(release, probe.releaseText);
    return probe;
}

bool IsGenericRelease(uint16_t release)
{
    return release == kGenericRelease || release == kGenericReleaseAlt;
}

void FormatReleaseText(uint16_t release, char releaseText[kReleaseTextSize])
{
    releaseText[0] = HexDigitChar(release >> 12);
    releaseText[1] = HexDigitChar(release >> 8);
    releaseText[2] = HexDigitChar(release >> 4);
    releaseText[3] = HexDigitChar(release);
    releaseText[4] = '\0';
}

char HexDigitChar(unsigned int value)
{
    return "0123456789ABCDEF"[value & 0xF];
}
