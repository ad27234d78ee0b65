#include "engine/PageVerifier.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/EngineTexts.h"
#include "engine/PageWriter.h"
#include "engine/ProgressPage.h"
#include "engine/ProgressState.h"
#include "hid/DeviceIdentity.h"
#include "hid/HidCmd.h"
#include "hid/PageReadBack.h"
#include "hid/Presence.h"
#include "platform/Diagnostics.h"
#include "platform/FlashGeometry.h"

namespace {

// Takes the time of the next `bytesAhead` bytes (at most a status step's)
// off the estimate: a read shorter than a status step uses up only its own
// share of what the reads added to it.
void TakeStatusStep(ProgressPage& page, uint32_t bytesAhead)
{
    const uint32_t ms = (bytesAhead + kPercentStepBytes - 1) / kPercentStepBytes * kReadMsPerStep;
    page.m_nRemainMs = page.m_nRemainMs >= ms ? page.m_nRemainMs - ms : 0;
    page.SetStatusText(std::string(kStatusPrefix) + PercentEstimateText(page.m_nPos, page.m_nRemainMs));
}

// Where the device is plugged in, for the log: device numbers alone say
// little when a worker sees only its own device.
std::string LocationOf(int device)
{
    const std::vector<HidDeviceInfo> devices = CHidIO::ListDevices(kDeviceVendorId, kDeviceProductId);
    return device < static_cast<int>(devices.size()) ? devices[static_cast<size_t>(device)].location : "?";
}

}  // namespace

bool VerifyPagesWithProgress(ProgressPage& page, const uint8_t* data, uint32_t firstPage, uint32_t pageCount,
                             const char* what)
{
    CHidCmd cmd;
    const int devices = cmd.OpenDevice();
    if (devices <= 0) {
        DiagPrintf("ERROR: No device to read %s back from\n", what);
        return false;
    }
    if (devices != CurrentDeviceState().m_deviceCount) {
        DiagPrintf("ERROR: %d devices attached, %d expected\n", devices, CurrentDeviceState().m_deviceCount);
        return false;
    }
    const uint32_t length = pageCount * kPageSize;
    for (int device = 0; device < devices; ++device) {
        // The steps fall where the writer's fall: before each kilobyte.
        TakePercentStep(page);
        TakeStatusStep(page, std::min(length, kStatusStepBytes));
        const PageComparison read =
            ReadBackPages(cmd, device, data, firstPage, pageCount, [&page, length](uint32_t received) {
                if (received % kPercentStepBytes != 0 || received >= length)
                    return;
                TakePercentStep(page);
                if (received % kStatusStepBytes == 0)
                    TakeStatusStep(page, std::min(length - received, kStatusStepBytes));
            });
        if (read.matches)
            continue;
        const uint32_t badPage = firstPage + read.offset / kPageSize;
        const uint32_t badByte = read.offset % kPageSize;
        if (read.answered)
            DiagPrintf("ERROR: Read-back of %s on device %d (%s) differs at page %u, byte %u\n", what, device,
                       LocationOf(device).c_str(), badPage, badByte);
        else
            DiagPrintf("ERROR: Read-back of %s on device %d (%s) not answered from page %u, byte %u on\n", what,
                       device, LocationOf(device).c_str(), badPage, badByte);
        return false;
    }
    return true;
}
