#include "engine/PageVerifier.h"

#include <algorithm>
#include <string>

#include "texts/UserTexts.h"
#include "engine/PageWriter.h"
#include "engine/ProgressPage.h"
#include "engine/ProgressState.h"
#include "hid/DeviceSet.h"
#include "hid/HidCmd.h"
#include "hid/PageReadBack.h"
#include "platform/FlashGeometry.h"

namespace {

// Takes the time of the next `bytesAhead` bytes (at most a status step's)
// off the estimate: a read shorter than a status step uses up only its own
// share of what the reads added to it.
void TakeStatusStep(ProgressState& progress, ProgressPage& page, uint32_t bytesAhead, uint32_t nowTick)
{
    const uint32_t ms = (bytesAhead + kPercentStepBytes - 1) / kPercentStepBytes * kReadMsPerStep;
    progress.m_nRemainMs = progress.m_nRemainMs >= ms ? progress.m_nRemainMs - ms : 0;
    const uint32_t remainMs = ShownRemainMs(progress, nowTick);
    SetStatusText(progress, page, std::string(kStatusPrefix) + PercentEstimateText(progress.m_nPos, remainMs), remainMs);
}

}  // namespace

bool VerifyPagesWithProgress(DeviceSet& devices, ProgressState& progress, ProgressPage& page, const uint8_t* data,
                             uint32_t firstPage, uint32_t pageCount, const std::string& what)
{
    const std::string operation = "read-back of " + what;
    CHidCmd cmd(devices);
    const int attached = cmd.OpenDevice();
    if (!devices.HoldsCount(attached, operation))
        return false;
    const uint32_t length = pageCount * kPageSize;
    for (int device = 0; device < attached; ++device) {
        // The steps fall where the writer's fall: before each kilobyte.
        Clock& clock = devices.GetClock();
        uint32_t now = clock.TickCount();
        TakePercentStep(progress, page, ShownRemainMs(progress, now));
        TakeStatusStep(progress, page, std::min(length, kStatusStepBytes), now);
        const PageComparison read =
            ReadBackPages(cmd, device, data, firstPage, pageCount, [&](uint32_t received) {
                if (received % kPercentStepBytes != 0 || received >= length)
                    return;
                now = clock.TickCount();
                TakePercentStep(progress, page, ShownRemainMs(progress, now));
                if (received % kStatusStepBytes == 0)
                    TakeStatusStep(progress, page, std::min(length - received, kStatusStepBytes), now);
            });
        if (read.matches)
            continue;
        const std::string where = "page " + std::to_string(firstPage + read.offset / kPageSize) + ", byte " +
                                  std::to_string(read.offset % kPageSize);
        if (read.answered) {
            devices.RecordFailure(DeviceFailure{operation, device, cmd.Location(device), FailureCause::Differs,
                                                "differs at " + where});
        } else if (!read.sent) {
            devices.RecordTransferFailure(cmd, device, operation, "the read command", false, kTransferTimeoutMs);
        } else {
            DeviceFailure failure = devices.DescribeTransferFailure(cmd.Io(), device, operation,
                                                                    "the read from " + where, true, kTransferTimeoutMs);
            // The device gave part of the pages, then nothing more.
            if (failure.cause == FailureCause::NoAnswer && read.offset > 0) {
                failure.cause = FailureCause::ShortAnswer;
                failure.detail = "answered " + std::to_string(read.offset) + " of " + std::to_string(length) +
                                 " bytes, then nothing from " + where + " on within " +
                                 std::to_string(kTransferTimeoutMs) + " ms";
            }
            devices.RecordFailure(std::move(failure));
        }
        return false;
    }
    return true;
}
