#pragma once
// One device's update in a run that updates devices side by side: a worker
// thread that sees only its own device (release probe, package, boot-loader
// check, reset, areas, blocks, end) and shows its progress on its row of the
// display; with --retry, a device that failed is tried again from the start
// once it is there again.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/DeviceDisplay.h"
#include "cli/DeviceRun.h"
#include "cli/RecordsOptions.h"
#include "cli/terminal/Bell.h"
#include "engine/DeviceResult.h"
#include "engine/UpdateOutcome.h"
#include "package/PackageShelf.h"
#include "platform/RunContext.h"

// How long a failed device is waited for to be there again before it is
// tried again: its reset's re-attach, or a dealer plugging it in anew.
inline constexpr uint32_t kRetryWaitMs = 30000;

// How every worker of a run updates its device.
struct WorkerOptions {
    bool verify = false;  // read every area and block back after writing it
    std::vector<std::string> expectedSha256 = {};  // the packages that may be used; empty: any
    RecordsSettings records = {};
    RecordsWarningOnce* recordsWarning = nullptr;  // says a record could not be kept, once a run
    int retries = 0;                               // --retry N
    Bell* bell = nullptr;
    // True once the run is to end (Ctrl-C): no new attempt starts then.
    std::function<bool()> stopping = [] { return false; };
};

// What a worker is given: the run's services (its backend sees every
// device; the worker narrows it to its own), where it shows itself, and the
// packages the run's devices share.
struct WorkerSetup {
    RunContext& context;
    DeviceDisplay& display;
    PackageShelf& packages;
    PackagePlaces places;
    WorkerOptions options;
};

// Updates `first.device` (whose package `first` names) as row `index` of
// the display (and device `index` of the run in the log). Returns its
// attempts, the first and those of --retry, each as its run filled in.
std::vector<DeviceRun> RunWorker(const WorkerSetup& setup, int index, const DeviceRun& first);
