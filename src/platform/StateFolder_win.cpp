#include "platform/StateFolder.h"

std::string StateFilePath(const EnvironmentLookup& environment, const char* fileName)
{
    const std::optional<std::string> local = environment("LOCALAPPDATA");
    if (!local || local->empty())
        return {};
    std::string folder = *local;
    if (folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    return folder + "kt7-updater\\" + fileName;
}
