#pragma once
// The update's progress bookkeeping, shared by area programming and page
// writing. Written only by the worker thread.

#include <cstdint>

extern uint32_t g_progressTotal;  // steps in the whole update (1024 bytes to one device each)
extern uint32_t g_progressCount;  // steps taken; never above g_progressTotal
extern uint8_t g_basePercent;     // percent at which programming starts: 10, 20 or 30

// base + (100 - base) * count / total, truncating; 100 when there is nothing
// to count (total 0).
int ProgressPercent();

// Takes one percent step: stores the percent from the count before the step
// in the page, asks the page to move its bar, then advances the count.
class ProgressPage;
void TakePercentStep(ProgressPage& page);

void ResetProgressState();
