#include "engine/UpdateRun.h"

#include "engine/AreaProgramming.h"
#include "engine/ControlBlocks.h"
#include "texts/UserTexts.h"
#include "engine/PageVerifier.h"
#include "engine/PageWriter.h"
#include "engine/ProgressPage.h"
#include "engine/ProgressState.h"
#include "engine/UpdateJob.h"
#include "hid/DeviceSet.h"
#include "package/Package.h"
#include "platform/Diagnostics.h"
#include "platform/FlashGeometry.h"
#include "platform/Random.h"

namespace {

constexpr uint32_t kSettleMs = 1000;
constexpr int kReattachAttempts = 15;

// Shows the failure's message at once and keeps it as the run's.
int Fail(UpdateJob& job, ProgressPage& page, const char* message)
{
    job.progress.m_failureMessage = message;
    page.ShowMessage(message, job.devices.Failure() ? &*job.devices.Failure() : nullptr);
    return 0;
}

// The devices leave the bus after the reset; all of them must be back.
bool WaitForDevicesBack(DeviceSet& devices, int rememberedCount)
{
    Clock& clock = devices.GetClock();
    clock.Sleep(kSettleMs);
    bool back = false;
    for (int attempt = 0; attempt < kReattachAttempts && !back; ++attempt) {
        back = devices.IsDevicePresent() && devices.m_deviceCount == rememberedCount;
        clock.Sleep(kSettleMs);
    }
    clock.Sleep(kSettleMs);
    if (!back) {
        const int attached = static_cast<int>(devices.List().size());
        devices.m_deviceCount = rememberedCount;
        devices.RecordCountChange(attached, "wait for the devices to come back after the reset");
    }
    return back;
}

// Builds a block with a generator seeded from the clock, erases its sector
// and writes it as one page (and reads it back when the run verifies).
template <typename Build>
int WriteBlock(UpdateJob& job, ProgressPage& page, Build build, uint32_t sector, uint32_t pageIndex,
               const char* what, const char* eraseMessage, const char* writeMessage)
{
    DeviceSet& devices = job.devices;
    DiagPrintf(devices.Log(), "Writing the %s: page %u\n", what, pageIndex);
    uint8_t block[kPageSize];
    Random random(devices.GetClock().TickCount());
    build(random, block);
    if (devices.EraseSectors(sector, 1) == 0)
        return Fail(job, page, eraseMessage);
    if (WritePagesWithProgress(devices, job.progress, page, block, pageIndex, 1) == 0)
        return Fail(job, page, writeMessage);
    if (job.progress.m_verify && !VerifyPagesWithProgress(devices, job.progress, page, block, pageIndex, 1, what))
        return Fail(job, page, writeMessage);
    return 1;
}

int RunSteps(UpdateJob& job, ProgressPage& page)
{
    DeviceSet& devices = job.devices;
    if (!job.package) {
        DiagPrintf(devices.Log(), "ERROR: no package loaded\n");
        return Fail(job, page, kMsgCannotOpenDevice);
    }
    const LoadedPackage& package = *job.package;
    // The run acts on exactly the devices counted when it was chosen.
    if (!devices.HoldsCount(static_cast<int>(devices.List().size()), "update"))
        return Fail(job, page, kMsgCannotOpenDevice);
    const int rememberedCount = devices.m_deviceCount;
    devices.RememberDevices();

    EnterPhase(job.progress, page, UpdatePhase::Reset);
    if (devices.SendReset() != 0)
        return Fail(job, page, kMsgResetNotSent);
    EnterPhase(job.progress, page, UpdatePhase::Waiting);
    if (!WaitForDevicesBack(devices, rememberedCount))
        return Fail(job, page, kMsgDevicesNotBack);

    uint32_t areaLengths[3] = {kAreaAbsent, kAreaAbsent, kAreaAbsent};
    uint32_t areaSums[3] = {kAreaAbsent, kAreaAbsent, kAreaAbsent};
    // The failure text goes on the status line once, when the worker ends.
    if (ProgramAreas(devices, package, job.progress, page, areaLengths, areaSums) != 0)
        return 0;

    auto checkCode = [&](Random& random, uint8_t* block) { BuildCheckCodeBlock(areaLengths, areaSums, random, block); };
    EnterPhase(job.progress, page, UpdatePhase::CheckCode);
    if (!WriteBlock(job, page, checkCode, kCheckCodeSector, kCheckCodePage, "check-code block",
                    kMsgCheckCodeEraseFailed, kMsgCheckCodeWriteFailed))
        return 0;

    auto descriptor = [&](Random& random, uint8_t* block) {
        BuildProgramDescriptorBlock(areaLengths, areaSums, package.header, random, block);
    };
    EnterPhase(job.progress, page, UpdatePhase::Descriptor);
    if (!WriteBlock(job, page, descriptor, kDescriptorSector, kDescriptorPage, "program descriptor block",
                    kMsgDescriptorEraseFailed, kMsgDescriptorWriteFailed))
        return 0;

    EnterPhase(job.progress, page, UpdatePhase::End);
    // With no device attached the end command counts as sent; it has not
    // reached anyone.
    if (!devices.IsDevicePresent()) {
        devices.RecordNoDevice("end of the update");
        return Fail(job, page, kMsgEndNotSent);
    }
    if (devices.m_deviceCount != rememberedCount) {
        const int attached = devices.m_deviceCount;
        devices.m_deviceCount = rememberedCount;
        devices.RecordCountChange(attached, "end of the update");
        return Fail(job, page, kMsgEndNotSent);
    }
    if (devices.SendEnd() != 0)
        return Fail(job, page, kMsgEndNotSent);
    return 1;
}

}  // namespace

int RunUpdate(UpdateJob& job, ProgressPage& page)
{
    const int result = RunSteps(job, page);
    job.package.reset();
    return result;
}

int UpdateThreadProc(ProgressPage* page, UpdateJob& job, const std::function<void()>& beforeDone)
{
    job.progress.m_progressCount = 0;
    job.progress.m_progressTotal = 0;
    job.progress.m_programStarted = false;
    job.progress.m_failureMessage.clear();
    job.devices.ClearFailure();
    Clock& clock = job.devices.GetClock();
    const uint32_t t0 = clock.TickCount();
    const int result = RunUpdate(job, *page);
    // Unsigned difference: survives the tick counter wrapping once.
    job.elapsedMs = clock.TickCount() - t0;
    job.failure = result == 1 ? std::nullopt : job.devices.Failure();
    // A failure names the device it happened on, when it happened on one.
    const std::string failed = job.failure && !job.failure->location.empty() ? FailedOnDeviceText(job.failure->location)
                                                                             : std::string(kUpdateFailedText);
    const std::string statusText = result == 1 ? ElapsedText(job.elapsedMs) : failed;
    job.progress.m_outcome = result == 1 ? UpdateOutcome::Success : UpdateOutcome::UpdateFailed;
    // What beforeDone keeps (the records) is on disk before the page shows
    // the outcome: a process killed in between must not have shown a success
    // it never recorded.
    job.progress.m_statusText = statusText;
    if (beforeDone)
        beforeDone();
    SetStatusText(job.progress, *page, statusText, 0);
    job.progress.m_bDone = 1;
    return 1;
}
