#include "engine/UpdateRun.h"

#include "engine/AreaProgramming.h"
#include "engine/ControlBlocks.h"
#include "engine/EngineTexts.h"
#include "engine/PageVerifier.h"
#include "engine/PageWriter.h"
#include "engine/ProgressPage.h"
#include "engine/ProgressState.h"
#include "hid/HidCommands.h"
#include "hid/Presence.h"
#include "package/Package.h"
#include "platform/FlashGeometry.h"
#include "platform/Random.h"
#include "platform/Services.h"

namespace {

constexpr uint32_t kSettleMs = 1000;
constexpr int kReattachAttempts = 15;

int Fail(const char* message)
{
    GetPrompter().ShowMessage(message);
    return 0;
}

// The devices leave the bus after the reset; all of them must be back.
bool WaitForDevicesBack(int rememberedCount)
{
    Clock& clock = GetClock();
    clock.Sleep(kSettleMs);
    bool back = false;
    for (int attempt = 0; attempt < kReattachAttempts && !back; ++attempt) {
        back = IsDevicePresent() && CurrentDeviceState().m_deviceCount == rememberedCount;
        clock.Sleep(kSettleMs);
    }
    clock.Sleep(kSettleMs);
    return back;
}

// Builds a block with a generator seeded from the clock, erases its sector
// and writes it as one page (and reads it back when the run verifies).
template <typename Build>
int WriteBlock(ProgressPage& page, Build build, uint32_t sector, uint32_t pageIndex, const char* what,
               const char* eraseMessage, const char* writeMessage)
{
    uint8_t block[kPageSize];
    Random random(GetClock().TickCount());
    build(random, block);
    if (EraseSectors(sector, 1) == 0)
        return Fail(eraseMessage);
    if (WritePagesWithProgress(page, block, pageIndex, 1) == 0)
        return Fail(writeMessage);
    if (CurrentProgress().m_verify && !VerifyPagesWithProgress(page, block, pageIndex, 1, what))
        return Fail(writeMessage);
    return 1;
}

int RunSteps(ProgressPage& page)
{
    if (!IsDevicePresent())
        return Fail(kMsgCannotOpenDevice);
    const int rememberedCount = CurrentDeviceState().m_deviceCount;

    page.EnterPhase(UpdatePhase::Reset);
    if (SendReset() != 0)
        return Fail(kMsgResetNotSent);
    page.EnterPhase(UpdatePhase::Waiting);
    if (!WaitForDevicesBack(rememberedCount))
        return Fail(kMsgDevicesNotBack);

    uint32_t areaLengths[3] = {kAreaAbsent, kAreaAbsent, kAreaAbsent};
    uint32_t areaSums[3] = {kAreaAbsent, kAreaAbsent, kAreaAbsent};
    // The failure text goes on the status line once, when the worker ends.
    if (ProgramAreas(page, areaLengths, areaSums) != 0)
        return 0;

    auto checkCode = [&](Random& random, uint8_t* block) { BuildCheckCodeBlock(areaLengths, areaSums, random, block); };
    page.EnterPhase(UpdatePhase::CheckCode);
    if (!WriteBlock(page, checkCode, kCheckCodeSector, kCheckCodePage, "check-code block", kMsgCheckCodeEraseFailed,
                    kMsgCheckCodeWriteFailed))
        return 0;

    auto descriptor = [&](Random& random, uint8_t* block) {
        BuildProgramDescriptorBlock(areaLengths, areaSums, CurrentPackage().m_packageHeader, random, block);
    };
    page.EnterPhase(UpdatePhase::Descriptor);
    if (!WriteBlock(page, descriptor, kDescriptorSector, kDescriptorPage, "program descriptor block", kMsgDescriptorEraseFailed,
                    kMsgDescriptorWriteFailed))
        return 0;

    page.EnterPhase(UpdatePhase::End);
    // With no device attached the end command counts as sent; it has not
    // reached anyone.
    if (!IsDevicePresent() || CurrentDeviceState().m_deviceCount != rememberedCount || SendEnd() != 0)
        return Fail(kMsgEndNotSent);
    return 1;
}

}  // namespace

int RunUpdate(ProgressPage& page)
{
    const int result = RunSteps(page);
    ReleasePackageBuffers();
    return result;
}

int UpdateThreadProc(ProgressPage* page)
{
    CurrentProgress().m_progressCount = 0;
    CurrentProgress().m_progressTotal = 0;
    const uint32_t t0 = GetClock().TickCount();
    const int result = RunUpdate(*page);
    // Unsigned difference: survives the tick counter wrapping once.
    const uint32_t elapsed = GetClock().TickCount() - t0;
    page->SetStatusText(result == 1 ? ElapsedText(elapsed) : std::string(kUpdateFailedText));
    page->m_outcome = result == 1 ? UpdateOutcome::Success : UpdateOutcome::UpdateFailed;
    page->m_bDone = 1;
    return 1;
}
