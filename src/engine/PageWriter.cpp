#include "engine/PageWriter.h"

#include <algorithm>
#include <cstring>

#include "engine/EngineTexts.h"
#include "engine/ProgressPage.h"
#include "engine/ProgressState.h"
#include "hid/CommandSet.h"
#include "hid/HidCmd.h"
#include "hid/HidCommands.h"
#include "hid/HidIO.h"
#include "hid/Presence.h"
#include "hid/Protocol.h"
#include "platform/Diagnostics.h"
#include "platform/FlashGeometry.h"

namespace {

constexpr uint32_t kPercentStepBytes = 1024;
constexpr uint32_t kStatusStepBytes = 16384;
constexpr uint32_t kEstimateMsPerStatusStep = 512;

void TakeStatusStep(ProgressPage& page)
{
    page.m_nRemainMs = page.m_nRemainMs >= kEstimateMsPerStatusStep ? page.m_nRemainMs - kEstimateMsPerStatusStep : 0;
    page.SetStatusText(std::string(kStatusPrefix) + PercentEstimateText(page.m_nPos, page.m_nRemainMs));
}

// Writes one report to `device`; the payload bytes it carried, 0 on failure
// (a report that carried nothing would never let the loop end).
uint32_t SendReport(CHidIO& io, const uint8_t report[kReportSize], int device)
{
    uint32_t transferred = 0;
    if (!io.WriteReport(report, kReportSize, &transferred, kTransferTimeoutMs, device))
        return 0;
    return std::min<uint32_t>(PayloadCount(transferred), kReportPayloadSize);
}

}  // namespace

int WritePagesWithProgress(ProgressPage& page, const uint8_t* data, uint32_t firstPage, uint32_t pageCount)
{
    CHidIO io;
    const int devices = io.OpenDevice(kDeviceVendorId, kDeviceProductId);
    if (devices <= 0)
        return 0;
    // Every device counted after the reset must get every page: one that went
    // away (or a stranger that came) would leave a half-programmed device
    // behind an update reported as a success.
    if (devices != g_deviceCount) {
        DiagPrintf("ERROR: %d devices attached, %d expected\n", devices, g_deviceCount);
        return 0;
    }

    const uint32_t end = pageCount * kPageSize;
    uint32_t offset = 0;
    uint8_t report[kReportSize];
    for (int device = 0; device < devices; ++device) {
        BuildCommandReport({CommandCode(HID_CMD_WRITE), firstPage, pageCount}, report);
        if (SendReport(io, report, device) == 0) {
            DiagPrintf("ERROR: Write command for pages %u - %u failed on device %d\n", firstPage,
                       firstPage + pageCount - 1, device);
            return 0;
        }
        offset = 0;
        while (offset < end) {
            if (offset % kPercentStepBytes == 0)
                TakePercentStep(page);
            if (offset % kStatusStepBytes == 0)
                TakeStatusStep(page);
            // A report that carried less than a whole payload leaves the next
            // one short of the end: never read past the caller's pages.
            const uint32_t chunk = std::min<uint32_t>(kReportPayloadSize, end - offset);
            uint8_t payload[kReportPayloadSize];
            std::memset(payload, 0xFF, sizeof payload);
            std::memcpy(payload, data + offset, chunk);
            BuildDataReport(payload, report);
            const uint32_t sent = SendReport(io, report, device);
            if (sent == 0) {
                DiagPrintf("ERROR: Write fail at page %u on device %d\n", firstPage + offset / kPageSize, device);
                return 0;
            }
            offset += std::min(sent, chunk);
        }
    }
    return static_cast<int>(offset);
}
