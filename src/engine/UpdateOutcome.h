#pragma once
// How an update run ended, and the process exit code each ending gives. Both
// front ends end with these codes, so a script sees the same number for the
// same ending whichever program it ran.

#include <algorithm>
#include <vector>

enum class UpdateOutcome {
    Success,
    Cancelled,          // the user left before any device was touched
    PackageLoadFailed,
    NoDevice,
    MixedDevices,       // devices that need different packages or command sets
    Bootloader,         // the boot-loader refresh was refused or failed
    UpdateFailed,
    Locked,             // another update holds the devices
};

constexpr int ExitCodeOf(UpdateOutcome outcome)
{
    switch (outcome) {
    case UpdateOutcome::Success:
    case UpdateOutcome::Cancelled:
        return 0;
    case UpdateOutcome::PackageLoadFailed:
        return 1;
    case UpdateOutcome::NoDevice:
    case UpdateOutcome::MixedDevices:
        return 2;
    case UpdateOutcome::Bootloader:
        return 3;
    case UpdateOutcome::UpdateFailed:
        return 4;
    case UpdateOutcome::Locked:
        return 5;
    }
    return 4;
}

// The exit code of a run of several devices, each with its own ending
// (--parallel, --watch): 0 when every one succeeded (or there were none),
// else the highest among them.
inline int HighestExitCode(const std::vector<UpdateOutcome>& outcomes)
{
    int code = 0;
    for (const UpdateOutcome outcome : outcomes)
        code = std::max(code, ExitCodeOf(outcome));
    return code;
}

// Not an ending of a run: a bad command line or a bad KT7_SIMULATE setting,
// refused before anything is loaded.
inline constexpr int kExitUsage = 64;
