#include "engine/ProgressState.h"

#include "engine/ProgressPage.h"

int ProgressPercent(const ProgressState& progress)
{
    // With nothing to count the work is done; never divide by zero.
    if (progress.m_progressTotal == 0)
        return 100;
    const uint32_t base = progress.m_basePercent > 100 ? 100 : progress.m_basePercent;
    const uint64_t span = 100 - base;
    return static_cast<int>(base + span * progress.m_progressCount / progress.m_progressTotal);
}

void TakePercentStep(ProgressState& progress, ProgressPage& page)
{
    page.m_nPos = ProgressPercent(progress);
    page.PostProgressUpdate();
    if (progress.m_progressCount < progress.m_progressTotal)
        ++progress.m_progressCount;
}
