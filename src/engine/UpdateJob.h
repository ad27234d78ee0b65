#pragma once
// One update of one device set: what it works on, handed by whoever starts
// it to the worker thread that runs it, and how it ended.

#include <memory>
#include <optional>

#include "engine/ProgressState.h"
#include "hid/DeviceFailure.h"
#include "hid/DeviceSet.h"
#include "package/PackageParser.h"

struct UpdateJob {
    UpdateJob(DeviceSet& devices, std::shared_ptr<const LoadedPackage> package)
        : devices(devices), package(std::move(package))
    {
    }

    DeviceSet& devices;
    // Released by the run when it ends, whatever happens; others sharing the
    // package keep it.
    std::shared_ptr<const LoadedPackage> package;
    ProgressState progress;

    // Written by the worker before it raises the page's done flag.
    std::optional<DeviceFailure> failure;  // where a failed run failed, when known
    uint32_t elapsedMs = 0;
};
