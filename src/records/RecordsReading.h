#pragma once
// Reading the records file back: every record that is whole, and a warning
// for every line that is not, for the caller to print.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/DeviceRecord.h"

struct RecordWarning {
    size_t line = 0;      // counted from 1
    std::string problem;  // why it was skipped
};

struct RecordsFileContents {
    std::vector<DeviceRecord> records;  // in the file's order
    std::vector<RecordWarning> warnings;
    // Why the file could not be read at all; a missing file is no error, it
    // holds no records yet.
    std::optional<std::string> error;
};

// The records of the file's text. A last line without its line break was cut
// short by a crash (or is being written now) and is skipped, like any line
// that is not a record; blank lines are passed over.
RecordsFileContents ParseRecordsText(std::string_view text);

RecordsFileContents ReadRecordsFile(const std::string& path);

// "records.jsonl line 12: partly written (no line break at the end), skipped"
std::string RecordWarningText(const std::string& path, const RecordWarning& warning);
