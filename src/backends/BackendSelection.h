#pragma once
// The HID backend a front end installs at start: simulated devices when the
// environment variable KT7_SIMULATE is set (its value configures them), real
// devices through hidapi otherwise.

#include <memory>
#include <string>

#include "platform/Clock.h"
#include "platform/HidBackend.h"

inline constexpr const char kSimulateVariable[] = "KT7_SIMULATE";

// Null with *error set when the simulation settings are bad.
std::unique_ptr<HidBackend> CreateHidBackend(Clock& clock, std::string* error);

// The lock file that keeps two updates off the same devices: the machine's
// for real devices; for simulated ones a file in their flash= folder, since
// only runs sharing that folder share devices. Simulated devices without
// flash= live inside their own process alone: empty, no lock, so such runs
// (tests) go side by side.
std::string UpdateLockPath();
