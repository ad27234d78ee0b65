#pragma once
// The HID backend a front end installs at start: simulated devices when the
// environment variable KT7_SIMULATE is set (its value configures them), real
// devices through hidapi otherwise.

#include <memory>
#include <string>

#include "platform/Clock.h"
#include "platform/Diagnostics.h"
#include "platform/HidBackend.h"

inline constexpr const char kSimulateVariable[] = "KT7_SIMULATE";

// The exit code of a run on simulated devices that went well but whose
// flash images or trace could not be saved: its result cannot be trusted.
inline constexpr int kExitSimulationNotSaved = 74;

// Null with *error set when the simulation settings are bad, including a
// flash= that is not an existing folder or a trace= that cannot be created.
// `clock` and `log` must outlive the backend.
std::unique_ptr<HidBackend> CreateHidBackend(Clock& clock, DiagnosticsSink& log, std::string* error);

// True when the front ends work on simulated devices; they say so, so that a
// stray variable cannot pass for a real update.
bool SimulatedDevicesInUse();

// Ends the work on the backend: simulated devices save their flash images
// and trace now. False with *error ("KT7_SIMULATE: could not save …") when
// something was not written completely; always true for real devices.
bool FinishHidBackend(HidBackend& backend, std::string* error);

// The exit code of a run whose own code is `runExitCode`, once its backend
// was finished with `finished`: a run that failed keeps its code, one that
// succeeded without its files becomes kExitSimulationNotSaved.
int ExitCodeAfterFinish(int runExitCode, bool finished);

// The lock file that keeps two updates off the same devices: the machine's
// for real devices; for simulated ones a file in their flash= folder, since
// only runs sharing that folder share devices. Simulated devices without
// flash= live inside their own process alone: empty, no lock, so such runs
// (tests) go side by side.
std::string UpdateLockPath();
