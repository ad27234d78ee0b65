#include "platform/LogFile.h"

#include <cstdlib>
#include <filesystem>

std::string DefaultLogPath()
{
    std::filesystem::path folder;
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    if (state && state[0] == '/')
        folder = state;
    else if (home && home[0] != '\0')
        folder = std::filesystem::path(home) / ".local" / "state";
    else
        return {};
    return (folder / "kt7-updater" / "kt7-updater.log").string();
}
