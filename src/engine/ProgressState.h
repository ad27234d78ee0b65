#pragma once
// One update run's progress: the design's bookkeeping (percent, estimate,
// counts), what the page shows now, the run's options, and how it ended.
// Owned by the run. The worker writes it; the page's thread reads only the
// percent, the done flag and the outcome, which are atomic for that.

#include <atomic>
#include <cstdint>
#include <string>

#include "engine/UpdateOutcome.h"
#include "engine/UpdatePhase.h"

class ProgressPage;

// The estimate follows the rate measured in this run once this many steps
// (KiB to one device) have gone; before, the design's fixed rates.
inline constexpr uint32_t kMeasuredEstimateSteps = 256;

struct ProgressState {
    std::atomic<int> m_nPos{0};     // percent, 0 to 100
    std::atomic<int> m_bDone{0};    // raised by the worker as its very last act
    // Success or how it failed, set by the worker before m_bDone.
    std::atomic<UpdateOutcome> m_outcome{UpdateOutcome::UpdateFailed};
    uint32_t m_nRemainMs = 0;       // the design's time estimate

    uint32_t m_progressTotal = 0;  // steps in the whole update (1024 bytes to one device each)
    uint32_t m_progressCount = 0;  // steps taken; never above m_progressTotal
    uint8_t m_basePercent = 0;     // percent at which programming starts: 10, 20 or 30
    // Every area and block is read back after it is written; the reads count
    // as steps and in the time estimate. Chosen by the front end, kept across
    // the run's resets of the count.
    bool m_verify = false;

    // What the page shows now.
    UpdatePhase m_phase = UpdatePhase::BootloaderCheck;
    std::string m_areaText;
    std::string m_statusText;

    // The measured estimate: when programming began, in clock ticks, and the
    // steps taken by then.
    uint32_t m_programStartTick = 0;
    bool m_programStarted = false;

    // The message box a failed run showed (empty when it showed none).
    std::string m_failureMessage;
};

// base + (100 - base) * count / total, truncating; 100 when there is nothing
// to count (total 0).
int ProgressPercent(const ProgressState& progress);

// The time left as the status line gives it at `nowTick`: from the rate of
// this run's steps since programming began, once kMeasuredEstimateSteps have
// gone; until then the design's estimate, m_nRemainMs.
uint32_t ShownRemainMs(const ProgressState& progress, uint32_t nowTick);

// The reports of the run to its page, each with the state as it is then.
void EnterPhase(ProgressState& progress, ProgressPage& page, UpdatePhase phase);
void SetAreaText(ProgressState& progress, ProgressPage& page, const std::string& text);
void SetStatusText(ProgressState& progress, ProgressPage& page, const std::string& text, uint32_t remainMs);
// m_nPos has changed; the page may move its bar.
void PostProgressUpdate(ProgressState& progress, ProgressPage& page, uint32_t remainMs);

// Takes one percent step: stores the percent from the count before the step,
// reports it, then advances the count.
void TakePercentStep(ProgressState& progress, ProgressPage& page, uint32_t remainMs);
