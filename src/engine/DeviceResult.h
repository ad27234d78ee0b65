#pragma once
// How an update ended for each device it was run on. Devices updated in step
// share one run: when its failure happened on one of them, that one failed
// and the others were stopped unfinished because of it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hid/DeviceFailure.h"
#include "platform/HidBackend.h"

enum class DeviceResultKind {
    Updated,
    Failed,
    Stopped,  // left unfinished because another device of the run failed
};

struct DeviceResult {
    HidDeviceInfo device;
    DeviceResultKind kind = DeviceResultKind::Failed;
    // Failed: the message the user was shown. Stopped: empty.
    std::string message;
    // Failed: where and why (the failure's log text), when known.
    // Stopped: the location of the device that failed.
    std::string cause;
};

// The results of the devices of one run in step (as listed when it started).
// A success updated them all. A failure that names one of them (by location)
// failed it and stopped the others; one that names none failed them all.
std::vector<DeviceResult> InStepResults(const std::vector<HidDeviceInfo>& devices, bool succeeded,
                                        const std::string& message, const std::optional<DeviceFailure>& failure);

// The failure as the log has it, without "ERROR: " and the line end.
std::string FailureText(const DeviceFailure& failure);
