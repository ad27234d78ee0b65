// kt7-flash records: what the bench has done, for the dealer or a spreadsheet.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/RecordsOptions.h"
#include "cli/terminal/ConsoleColumns.h"
#include "cli/verbs/Commands.h"
#include "platform/WallTime.h"
#include "records/RecordCounts.h"
#include "records/RecordCsv.h"
#include "records/RecordFilter.h"
#include "records/RecordTable.h"
#include "records/RecordsReading.h"
#include "texts/UserTexts.h"

namespace {

CivilDate Today()
{
    const int64_t now = WallTimeUtcSeconds();
    return LocalTimeOf(now, UtcOffsetMinutes(now)).date;
}

} // namespace

int RunRecordsCommand(const CliOptions& options)
{
    std::optional<CivilDate> since;
    if (options.since && !(since = ParseSinceDate(*options.since, Today()))) {
        std::fprintf(stderr, "kt7-flash: --since takes today or a date such as 2026-12-10, not '%s'\n",
                     options.since->c_str());
        return kExitUsage;
    }
    const std::string path = RecordsFileOf(options);
    if (path.empty()) {
        std::fprintf(stderr, "kt7-flash: %s\n", kNoRecordsPlaceText);
        return kExitRecordsUnreadable;
    }
    const RecordsFileContents contents = ReadRecordsFile(path);
    if (contents.error) {
        std::fprintf(stderr, "kt7-flash: %s\n", contents.error->c_str());
        return kExitRecordsUnreadable;
    }
    for (const RecordWarning& warning : contents.warnings)
        std::fprintf(stderr, "kt7-flash: %s\n", RecordWarningText(path, warning).c_str());

    const std::vector<DeviceRecord> records = since ? RecordsSince(contents.records, *since) : contents.records;
    if (options.csv) {
        std::fputs(RecordsCsv(records).c_str(), stdout);
        return kExitSuccess;
    }
    if (records.empty()) {
        std::printf("%s\n", FlashNoRecordsText(path, since ? DateText(*since) : std::string()).c_str());
        return kExitSuccess;
    }
    std::fputs(RecordsTable(records, ConsoleColumns(fileno(stdout))).c_str(), stdout);
    std::printf("\n%s", RecordCountsText(CountRecords(records)).c_str());
    return kExitSuccess;
}
