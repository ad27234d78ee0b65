#include "engine/ProgressState.h"

#include "engine/ProgressPage.h"

int ProgressPercent()
{
    // With nothing to count the work is done; never divide by zero.
    if (CurrentProgress().m_progressTotal == 0)
        return 100;
    const uint32_t base = CurrentProgress().m_basePercent > 100 ? 100 : CurrentProgress().m_basePercent;
    const uint64_t span = 100 - base;
    return static_cast<int>(base + span * CurrentProgress().m_progressCount / CurrentProgress().m_progressTotal);
}

void TakePercentStep(ProgressPage& page)
{
    page.m_nPos = ProgressPercent();
    page.PostProgressUpdate();
    if (CurrentProgress().m_progressCount < CurrentProgress().m_progressTotal)
        ++CurrentProgress().m_progressCount;
}
