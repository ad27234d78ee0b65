#pragma once
// One device's update in a run that updates devices side by side: a worker
// thread that sees only its own device (release probe, package, boot-loader
// check, reset, areas, blocks, end) and shows its progress on its row of the
// display.

#include <cstdint>
#include <string>
#include <vector>

#include "cli/DeviceDisplay.h"
#include "engine/DeviceResult.h"
#include "engine/UpdateOutcome.h"
#include "package/PackageShelf.h"
#include "platform/RunContext.h"

struct DeviceRun {
    HidDeviceInfo device;
    std::string package;  // the package file's name it was given (or would have been)
    UpdateOutcome outcome = UpdateOutcome::UpdateFailed;
    uint32_t elapsedMs = 0;
    std::string message;  // the message of its failure, when one was shown
    std::string cause;    // where and why it failed, when known
};

// "升级成功", or "升级失败 (N)" with the outcome's exit code.
std::string ResultText(UpdateOutcome outcome);

// The exit code of a run of several devices: 0 when every one succeeded (or
// there were none), else the highest among them.
int HighestExitCode(const std::vector<DeviceRun>& runs);

// What a worker is given: the run's services (its backend sees every
// device; the worker narrows it to its own), where it shows itself, and the
// packages the run's devices share.
struct WorkerSetup {
    RunContext& context;
    DeviceDisplay& display;
    PackageShelf& packages;
    PackagePlaces places;
    bool verify = false;  // read every area and block back after writing it
};

// Updates run.device as row `index` of the display (and device `index` of
// the run in the log); fills in the rest of `run`.
void RunWorker(const WorkerSetup& setup, int index, DeviceRun& run);
