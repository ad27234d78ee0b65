#include "cli/RecordsOptions.h"

#include "platform/Environment.h"
#include "platform/WallTime.h"
#include "records/RecordsPath.h"
#include "texts/UserTexts.h"

std::string RecordsFileOf(const CliOptions& options)
{
    return options.records ? *options.records : DefaultRecordsPath(EnvironmentVariable);
}

CliRecords RecordsOf(const CliOptions& options)
{
    CliRecords records;
    records.settings.station = options.station.value_or(StationName());
    if (options.noRecords)
        return records;
    records.settings.path = RecordsFileOf(options);
    if (records.settings.path.empty())
        records.warning = RecordsNotKeptText(kNoRecordsPlaceText);
    return records;
}
