#pragma once
// One device's update in a run that updates devices side by side: a worker
// thread that sees only its own device (release probe, package, boot-loader
// check, reset, areas, blocks, end) and shows its progress on its row of the
// display.

#include <cstdint>
#include <string>
#include <vector>

#include "cli/DeviceDisplay.h"
#include "cli/DeviceRun.h"
#include "engine/DeviceResult.h"
#include "engine/UpdateOutcome.h"
#include "package/PackageShelf.h"
#include "platform/RunContext.h"

// What a worker is given: the run's services (its backend sees every
// device; the worker narrows it to its own), where it shows itself, and the
// packages the run's devices share.
struct WorkerSetup {
    RunContext& context;
    DeviceDisplay& display;
    PackageShelf& packages;
    PackagePlaces places;
    bool verify = false;  // read every area and block back after writing it
    std::vector<std::string> expectedSha256 = {};  // the packages that may be used; empty: any
};

// Updates run.device as row `index` of the display (and device `index` of
// the run in the log); fills in the rest of `run`.
void RunWorker(const WorkerSetup& setup, int index, DeviceRun& run);
