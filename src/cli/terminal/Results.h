#pragma once
// The closing report of an update, on standard output: a line per device
// after a run in step, a table after a run of devices side by side.

#include <string>
#include <vector>

#include "cli/DeviceRun.h"
#include "engine/DeviceResult.h"

// "<location>  release XXXX  <result>", and what went wrong.
std::string DeviceResultLine(const DeviceResult& result);

// Location, release, package, result and time, a row per device.
void PrintResultTable(const std::vector<DeviceRun>& runs);
