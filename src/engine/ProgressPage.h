#pragma once
// What the update engine sees of the progress page: one report per change
// of the run's step, area line, status line or percent, each carrying all
// of them as they are then, and the run's message boxes. The Qt page, the
// Windows page, the terminal, the JSON writer and the tests implement it.

#include <cstdint>
#include <string>

#include "engine/UpdatePhase.h"
#include "hid/DeviceFailure.h"

struct ProgressEvent {
    enum class Change { Phase, Area, Status, Percent };
    Change change = Change::Percent;
    UpdatePhase phase = UpdatePhase::BootloaderCheck;
    int percent = 0;          // the bar, 0 to 100
    uint32_t remainMs = 0;    // the estimate the status line shows
    std::string areaText;     // the device/area line (UTF-8)
    std::string statusText;   // the status line (UTF-8)
};

class ProgressPage {
public:
    virtual ~ProgressPage() = default;

    // A change of the run's progress. An Area or Status change is in place
    // on the page when the call returns; a Percent change never blocks (the
    // page may show the latest percent when it gets round to it).
    virtual void OnProgress(const ProgressEvent& event) = 0;
    // A message box of the run (UTF-8), shown at once; returns when it has
    // been acknowledged. `failure`, when known, says where the failure it
    // reports happened.
    virtual void ShowMessage(const std::string& text, const DeviceFailure* failure) = 0;
};
