#pragma once
// The closing table of a run that updated devices side by side, on standard
// output: location, release, package, result and time, a row per device.

#include <vector>

#include "cli/DeviceRun.h"

void PrintResultTable(const std::vector<DeviceRun>& runs);
