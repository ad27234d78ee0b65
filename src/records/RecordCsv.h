#pragma once
// The records as CSV for a spreadsheet: `kt7-flash records --csv`.

#include <string>
#include <string_view>
#include <vector>

#include "records/DeviceRecord.h"

// One field as RFC 4180 wants it: quoted, with its quotes doubled, when it
// holds a comma, a quote or a line break; else as it is.
std::string CsvField(std::string_view text);

// A heading row and one row per record with every field, the local time
// first; rows end in CR LF. UTF-8 with a byte-order mark in front, without
// which a spreadsheet reads the Chinese texts in the system's code page.
std::string RecordsCsv(const std::vector<DeviceRecord>& records);
