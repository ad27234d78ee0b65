#pragma once
// How many records there are of each result, overall and per day: the lines
// under the records' table.

#include <string>
#include <vector>

#include "records/DeviceRecord.h"
#include "records/RecordTime.h"

struct ResultCount {
    std::string result;  // the record's keyword
    int count = 0;
};

struct DayCounts {
    CivilDate date;  // the station's local date
    int total = 0;
    std::vector<ResultCount> results;
};

struct RecordCounts {
    int total = 0;
    // Success, failed and stopped first, then other keywords by name; only
    // results that occur.
    std::vector<ResultCount> results;
    std::vector<DayCounts> days;  // earliest first; only days with records
};

RecordCounts CountRecords(const std::vector<DeviceRecord>& records);

// "共 5 条：成功 3，失败 2" and then one such line per day, each starting with
// its date; every line ends in '\n'. Nothing for no records.
std::string RecordCountsText(const RecordCounts& counts);
