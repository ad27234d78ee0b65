#pragma once
// A device record as one line of the records file: a JSON object with
// "schema": 1 and "event": "record", like the lines of kt7-flash --json.

#include <optional>
#include <string>
#include <string_view>

#include "records/DeviceRecord.h"

inline constexpr int kRecordSchema = 1;

// The JSON object on one line, ending in '\n'. Texts that are not valid UTF-8
// have their bad bytes replaced by U+FFFD.
std::string EncodeRecordLine(const DeviceRecord& record);

// The record of a line (without its '\n'); none with the reason in *error
// when the line is not a record this version reads: not one flat JSON
// object, another schema or event, a field missing or of the wrong kind, or a
// value out of its range. Fields it does not know are passed over.
std::optional<DeviceRecord> DecodeRecordLine(std::string_view line, std::string* error);
