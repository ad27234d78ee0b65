#include "records/RecordsPath.h"

std::string DefaultRecordsPath(const EnvironmentLookup& environment)
{
    return StateFilePath(environment, "records.jsonl");
}
