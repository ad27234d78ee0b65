#include "engine/ProgressState.h"

#include "engine/ProgressPage.h"

uint32_t g_progressTotal = 0;
uint32_t g_progressCount = 0;
uint8_t g_basePercent = 0;

int ProgressPercent()
{
    // With nothing to count the work is done; never divide by zero.
    if (g_progressTotal == 0)
        return 100;
    const uint32_t base = g_basePercent > 100 ? 100 : g_basePercent;
    const uint64_t span = 100 - base;
    return static_cast<int>(base + span * g_progressCount / g_progressTotal);
}

void TakePercentStep(ProgressPage& page)
{
    page.m_nPos = ProgressPercent();
    page.PostProgressUpdate();
    if (g_progressCount < g_progressTotal)
        ++g_progressCount;
}

void ResetProgressState()
{
    g_progressTotal = 0;
    g_progressCount = 0;
    g_basePercent = 0;
}
