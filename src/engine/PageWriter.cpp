#include "engine/PageWriter.h"

#include <algorithm>

#include "texts/UserTexts.h"
#include "engine/ProgressPage.h"
#include "engine/ProgressState.h"
#include "hid/DeviceSet.h"
#include "hid/HidCmd.h"
#include "platform/FlashGeometry.h"

namespace {

constexpr uint32_t kEstimateMsPerStatusStep = 512;

void TakeStatusStep(ProgressState& progress, ProgressPage& page, uint32_t nowTick)
{
    progress.m_nRemainMs =
        progress.m_nRemainMs >= kEstimateMsPerStatusStep ? progress.m_nRemainMs - kEstimateMsPerStatusStep : 0;
    const uint32_t remainMs = ShownRemainMs(progress, nowTick);
    SetStatusText(progress, page, std::string(kStatusPrefix) + PercentEstimateText(progress.m_nPos, remainMs), remainMs);
}

}  // namespace

int WritePagesWithProgress(DeviceSet& devices, ProgressState& progress, ProgressPage& page, const uint8_t* data,
                           uint32_t firstPage, uint32_t pageCount)
{
    const std::string operation = "write of " + RangeText("page", firstPage, pageCount);
    CHidCmd cmd(devices);
    const int attached = cmd.OpenDevice();
    // Every device counted after the reset must get every page: one that went
    // away (or a stranger that came) would leave a half-programmed device
    // behind an update reported as a success.
    if (!devices.HoldsCount(attached, operation))
        return 0;

    const uint32_t end = pageCount * kPageSize;
    uint32_t offset = 0;
    for (int device = 0; device < attached; ++device) {
        if (!cmd.SendCommand(HID_CMD_WRITE, firstPage, pageCount, device, kTransferTimeoutMs)) {
            devices.RecordTransferFailure(cmd, device, operation, "the write command", false, kTransferTimeoutMs);
            return 0;
        }
        offset = 0;
        while (offset < end) {
            if (offset % kPercentStepBytes == 0) {
                const uint32_t now = devices.GetClock().TickCount();
                TakePercentStep(progress, page, ShownRemainMs(progress, now));
                if (offset % kStatusStepBytes == 0)
                    TakeStatusStep(progress, page, now);
            }
            // Never more than the caller's pages, even after a report that
            // carried less than a whole payload.
            uint32_t sent = 0;
            if (!cmd.SendData(data + offset, end - offset, &sent, device, kTransferTimeoutMs)) {
                devices.RecordTransferFailure(cmd, device, operation,
                                              "the data for page " + std::to_string(firstPage + offset / kPageSize),
                                              false, kTransferTimeoutMs);
                return 0;
            }
            offset += std::min(sent, end - offset);
        }
    }
    return static_cast<int>(offset);
}
