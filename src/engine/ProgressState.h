#pragma once
// One update run's bookkeeping: its progress, its options and the message it
// ended with. Owned by the run, written only by its worker thread.

#include <cstdint>
#include <string>

class ProgressPage;

struct ProgressState {
    uint32_t m_progressTotal = 0;  // steps in the whole update (1024 bytes to one device each)
    uint32_t m_progressCount = 0;  // steps taken; never above m_progressTotal
    uint8_t m_basePercent = 0;     // percent at which programming starts: 10, 20 or 30
    // Every area and block is read back after it is written; the reads count
    // as steps and in the time estimate. Chosen by the front end, kept across
    // the run's resets of the count.
    bool m_verify = false;
    // The message box a failed run showed (empty when it showed none).
    std::string m_failureMessage;
};

// base + (100 - base) * count / total, truncating; 100 when there is nothing
// to count (total 0).
int ProgressPercent(const ProgressState& progress);

// Takes one percent step: stores the percent from the count before the step
// in the page, asks the page to move its bar, then advances the count.
void TakePercentStep(ProgressState& progress, ProgressPage& page);
