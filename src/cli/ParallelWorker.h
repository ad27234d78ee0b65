#pragma once
// One device's update in a run that updates devices side by side: a worker
// thread that sees only its own device (release probe, package, boot-loader
// check, reset, areas, blocks, end) and shows its progress on its row of the
// display.

#include <cstdint>
#include <string>
#include <vector>

#include "cli/DeviceDisplay.h"
#include "engine/UpdateOutcome.h"
#include "platform/Clock.h"
#include "platform/HidBackend.h"

struct DeviceRun {
    HidDeviceInfo device;
    std::string package;
    UpdateOutcome outcome = UpdateOutcome::UpdateFailed;
    uint32_t elapsedMs = 0;
};

// "升级成功", or "升级失败 (N)" with the outcome's exit code.
std::string ResultText(UpdateOutcome outcome);

// The exit code of a run of several devices: 0 when every one succeeded (or
// there were none), else the highest among them.
int HighestExitCode(const std::vector<DeviceRun>& runs);

// Updates run.device, seen through `backend`, as row `index` of `display`;
// fills in run.outcome and run.elapsedMs.
// `verify` reads every area and block back after writing it.
void RunWorker(HidBackend& backend, Clock& clock, DeviceDisplay& display, int index, bool verify, DeviceRun& run);
