#pragma once
// The records as a table for a terminal: `kt7-flash records`.

#include <cstdint>
#include <string>
#include <vector>

#include "records/DeviceRecord.h"

// "16.0s" below a minute, "1m05s" below an hour, "1h02m" beyond.
std::string DurationText(int64_t milliseconds);

// A heading line and a line per record: local time, station, location,
// serial number, release, package file, result with its message, duration,
// attempt. The columns take the width their texts need, up to a limit each;
// the result takes what is left, and the package, station, serial and (last)
// location columns give up width, down to their headings', before the result
// gets too narrow to read. Texts are clipped to their columns. Every line is
// narrower than `columns`, so that no terminal wraps it; with `columns` 0 (not
// a terminal) nothing is clipped.
std::string RecordsTable(const std::vector<DeviceRecord>& records, int columns);
