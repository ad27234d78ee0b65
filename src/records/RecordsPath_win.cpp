#include "records/RecordsPath.h"

std::string DefaultRecordsPath(const EnvironmentLookup& environment)
{
    const std::optional<std::string> local = environment("LOCALAPPDATA");
    if (!local || local->empty())
        return {};
    std::string folder = *local;
    if (folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    return folder + "kt7-updater\\records.jsonl";
}
