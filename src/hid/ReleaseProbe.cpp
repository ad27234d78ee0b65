#include "hid/ReleaseProbe.h"

#include "hid/DeviceIdentity.h"
#include "platform/Services.h"

namespace {

// A device that is still enumerating gets half a second to show up.
constexpr int kSearchRetries = 5;
constexpr uint32_t kSearchRetryMs = 100;

} // namespace

int FindHidDevice(uint16_t vendorId, uint16_t productId, uint16_t* release)
{
    HidBackend& backend = GetHidBackend();
    for (int attempt = 0;; ++attempt) {
        for (const HidDeviceInfo& info : backend.Enumerate()) {
            if (release)
                *release = info.releaseNumber;
            if (info.vendorId == vendorId && info.productId == productId)
                return 1;
        }
        if (attempt == kSearchRetries)
            return 0;
        GetClock().Sleep(kSearchRetryMs);
    }
}

int ProbeDeviceRelease(char* releaseText)
{
    uint16_t release = 0;
    if (!FindHidDevice(kDeviceVendorId, kDeviceProductId, &release)) {
        GetPrompter().ShowMessage("请确认已连接设备！");
        return 0;
    }
    if (IsGenericRelease(release))
        return 0;
    if (releaseText)
        FormatReleaseText(release, releaseText);
    return 1;
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
