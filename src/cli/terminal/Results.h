#pragma once
// The closing report of an update, on standard output: a line per device
// after a run in step, a table after a run of devices side by side.

#include <string>
#include <vector>

#include "cli/DeviceRun.h"
#include "engine/DeviceResult.h"

// "<location>  release XXXX  <result>", and what went wrong.
std::string DeviceResultLine(const DeviceResult& result);

// The table: location, release, package, result and time, a row per device,
// and the message of a failed device's failure last. Each line is clipped
// within `columns` (0: as long as it is), as a line that wraps would break
// the columns.
std::vector<std::string> ResultTableLines(const std::vector<DeviceRun>& runs, int columns);
// The table on standard output, clipped to the terminal's width when it is one.
void PrintResultTable(const std::vector<DeviceRun>& runs);
