#pragma once
// What the update engine sees of the progress page. The Qt page, the
// terminal front end and the tests implement it.

#include <atomic>
#include <cstdint>
#include <string>

#include "engine/UpdateOutcome.h"
#include "engine/UpdatePhase.h"
#include "hid/DeviceFailure.h"

class ProgressPage {
public:
    virtual ~ProgressPage() = default;

    // The device/area line and the status line (UTF-8). The text is in place
    // when the call returns.
    virtual void SetAreaText(const std::string& text) = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    // Asks the page to move its bar to the latest m_nPos; never blocks.
    virtual void PostProgressUpdate() = 0;
    // The step the run starts; a page that shows no steps ignores it.
    virtual void EnterPhase(UpdatePhase /*phase*/) {}
    // A message box of the run (UTF-8), shown at once; returns when it has
    // been acknowledged. `failure`, when known, says where the failure it
    // reports happened.
    virtual void ShowMessage(const std::string& text, const DeviceFailure* failure) = 0;

    std::atomic<int> m_nPos{0};     // percent, written by the worker
    std::atomic<int> m_bDone{0};    // set by the worker as its very last act
    // Success or UpdateFailed, set by the worker before m_bDone.
    std::atomic<UpdateOutcome> m_outcome{UpdateOutcome::UpdateFailed};
    uint32_t m_nRemainMs = 0;       // time estimate, worker only
};
