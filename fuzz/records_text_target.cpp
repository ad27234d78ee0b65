// A records file's text through the reader and the summaries. Beyond what
// the sanitizers see, it checks that every record read back is one the
// writer can write again (its line reads back as the same record), that each
// line gives a record or a warning, never both, and that the table keeps to
// the terminal's width whatever the texts hold.

#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "platform/DisplayWidth.h"
#include "records/RecordCounts.h"
#include "records/RecordCsv.h"
#include "records/RecordLine.h"
#include "records/RecordTable.h"
#include "records/RecordsReading.h"

namespace {

// Longer texts only slow the fuzzer; the reader works line by line.
constexpr size_t kMaxTextBytes = 64 * 1024;

size_t LineCount(std::string_view text)
{
    size_t lines = 0;
    for (char c : text)
        lines += c == '\n';
    return lines + (text.empty() || text.back() == '\n' ? 0 : 1);
}

}  // namespace

int FuzzRecordsText(const uint8_t* data, size_t size)
{
    if (size > kMaxTextBytes)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const RecordsFileContents contents = ParseRecordsText(text);
    FUZZ_CHECK(contents.records.size() + contents.warnings.size() <= LineCount(text),
               "more records and warnings than lines");
    for (const DeviceRecord& record : contents.records) {
        const std::string line = EncodeRecordLine(record);
        std::string error;
        const std::optional<DeviceRecord> again = DecodeRecordLine(line, &error);
        FUZZ_CHECK(again.has_value(), "a record read back does not read back once written again");
        FUZZ_CHECK(*again == record, "a record written again reads back as another");
    }
    for (int columns : {80, 30}) {
        const std::string table = RecordsTable(contents.records, columns);
        size_t start = 0;
        for (size_t end; (end = table.find('\n', start)) != std::string::npos; start = end + 1)
            FUZZ_CHECK(DisplayWidth(std::string_view(table).substr(start, end - start)) < columns,
                       "a table line is as wide as the terminal");
        FUZZ_CHECK(start == table.size(), "the table does not end with a line break");
    }
    FUZZ_CHECK(CountRecords(contents.records).total == static_cast<int>(contents.records.size()),
               "the counts miss records");
    RecordsCsv(contents.records);
    return 0;
}
