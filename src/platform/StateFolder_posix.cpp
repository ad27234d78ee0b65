#include "platform/StateFolder.h"

#include <filesystem>

std::string StateFilePath(const EnvironmentLookup& environment, const char* fileName)
{
    std::filesystem::path folder;
    const std::optional<std::string> state = environment("XDG_STATE_HOME");
    const std::optional<std::string> home = environment("HOME");
    if (state && !state->empty() && state->front() == '/')
        folder = *state;
    else if (home && !home->empty())
        folder = std::filesystem::path(*home) / ".local" / "state";
    else
        return {};
    return (folder / "kt7-updater" / fileName).string();
}
