#pragma once
// What an update's log says besides the lines of its operations: at the
// start the program, the package and the devices; at the end one result line
// per device. So that the log alone answers what was updated, where, with
// what, and how it went.

#include <string>
#include <vector>

#include "engine/DeviceResult.h"
#include "package/PackageParser.h"
#include "platform/Diagnostics.h"
#include "platform/HidBackend.h"

// "kt7-flash 1.0.0: update, 2 devices, verify off", the package and each device,
// numbered from firstNumber as the run's failures number them (a worker of a
// run side by side numbers its device by its place in the run).
void LogRunStart(DiagnosticsSink& log, const std::string& program, const LoadedPackage& package,
                 const std::vector<HidDeviceInfo>& devices, int firstNumber, bool verify);

// One line for the package in use: path, size, date and the areas' versions.
void LogPackage(DiagnosticsSink& log, const LoadedPackage& package);

// One line per device: updated, failed with its message and cause, or
// stopped because another device failed.
void LogDeviceResults(DiagnosticsSink& log, const std::vector<DeviceResult>& results);
