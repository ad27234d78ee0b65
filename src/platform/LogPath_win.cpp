#include "platform/LogFile.h"

#include "platform/Environment.h"

std::string DefaultLogPath()
{
    const std::optional<std::string> local = EnvironmentVariable("LOCALAPPDATA");
    if (!local || local->empty())
        return {};
    std::string folder = *local;
    if (folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    return folder + "kt7-updater\\kt7-updater.log";
}
