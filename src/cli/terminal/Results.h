#pragma once
// The closing report of an update, on standard output: a line per device
// after a run in step, a table after a run of devices side by side.

#include <string>
#include <vector>

#include "cli/DeviceRun.h"
#include "engine/DeviceResult.h"

// "<location>  [serial S  ]release XXXX  <result>", and what went wrong.
std::string DeviceResultLine(const DeviceResult& result);

// The table: location, serial number, release, package, the result with the
// message of a failure, and time, a row per attempt (with the attempt's
// number when a device was tried again). On a terminal `columns` wide each
// line keeps within it, as a line that wraps would break the columns: the
// message is clipped, after the serial number, package and location have
// given up what they can; with `columns` 0 nothing is clipped.
std::vector<std::string> ResultTableLines(const std::vector<DeviceRun>& runs, int columns);
// The table on standard output, clipped to the terminal's width when it is one.
void PrintResultTable(const std::vector<DeviceRun>& runs);
