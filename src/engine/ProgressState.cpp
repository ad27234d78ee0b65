#include "engine/ProgressState.h"

#include "engine/ProgressPage.h"

namespace {

ProgressEvent Snapshot(const ProgressState& progress, ProgressEvent::Change change, uint32_t remainMs)
{
    ProgressEvent event;
    event.change = change;
    event.phase = progress.m_phase;
    event.percent = progress.m_nPos.load();
    event.remainMs = remainMs;
    event.areaText = progress.m_areaText;
    event.statusText = progress.m_statusText;
    return event;
}

} // namespace

int ProgressPercent(const ProgressState& progress)
{
    // With nothing to count the work is done; never divide by zero.
    if (progress.m_progressTotal == 0)
        return 100;
    const uint32_t base = progress.m_basePercent > 100 ? 100 : progress.m_basePercent;
    const uint64_t span = 100 - base;
    return static_cast<int>(base + span * progress.m_progressCount / progress.m_progressTotal);
}

uint32_t ShownRemainMs(const ProgressState& progress, uint32_t nowTick)
{
    const uint32_t done = progress.m_progressCount;
    if (!progress.m_programStarted || done < kMeasuredEstimateSteps || progress.m_progressTotal < done)
        return progress.m_nRemainMs;
    // Unsigned difference: survives the tick counter wrapping once.
    const uint64_t elapsed = nowTick - progress.m_programStartTick;
    const uint64_t left = progress.m_progressTotal - done;
    const uint64_t remain = left * elapsed / done;
    return remain > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(remain);
}

void EnterPhase(ProgressState& progress, ProgressPage& page, UpdatePhase phase)
{
    progress.m_phase = phase;
    page.OnProgress(Snapshot(progress, ProgressEvent::Change::Phase, progress.m_nRemainMs));
}

void SetAreaText(ProgressState& progress, ProgressPage& page, const std::string& text)
{
    progress.m_areaText = text;
    page.OnProgress(Snapshot(progress, ProgressEvent::Change::Area, progress.m_nRemainMs));
}

void SetStatusText(ProgressState& progress, ProgressPage& page, const std::string& text, uint32_t remainMs)
{
    progress.m_statusText = text;
    page.OnProgress(Snapshot(progress, ProgressEvent::Change::Status, remainMs));
}

void PostProgressUpdate(ProgressState& progress, ProgressPage& page, uint32_t remainMs)
{
    page.OnProgress(Snapshot(progress, ProgressEvent::Change::Percent, remainMs));
}

void TakePercentStep(ProgressState& progress, ProgressPage& page, uint32_t remainMs)
{
    progress.m_nPos = ProgressPercent(progress);
    PostProgressUpdate(progress, page, remainMs);
    if (progress.m_progressCount < progress.m_progressTotal)
        ++progress.m_progressCount;
}
