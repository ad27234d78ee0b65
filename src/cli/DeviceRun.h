#pragma once
// How one device of a run of several side by side (--parallel, --watch)
// ended: what its worker fills in, and what the displays and the JSON
// lines report of it.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/UpdateOutcome.h"
#include "platform/HidBackend.h"

struct DeviceRun {
    HidDeviceInfo device;
    std::string package;  // the package file's name it was given (or would have been)
    UpdateOutcome outcome = UpdateOutcome::UpdateFailed;
    // The time its update took, as its status line gives it; for one that
    // stopped before its update ran, the time until then.
    uint32_t elapsedMs = 0;
    std::string message;  // the message of its failure, when one was shown
    std::string cause;    // where and why it failed, when known
    int attempt = 1;      // 2 for its first retry (--retry), ...
};

// Each device's ending, from every attempt of a run's devices, a device's
// attempts one after another from its first: a device tried again (--retry)
// ends as its last attempt did.
std::vector<UpdateOutcome> OutcomesOf(const std::vector<DeviceRun>& attempts);
