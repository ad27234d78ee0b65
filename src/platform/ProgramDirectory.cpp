#include "platform/ProgramDirectory.h"

#include <filesystem>
#include <mutex>
#include <system_error>

namespace {

std::mutex g_directoryMutex;
std::string g_directory;
bool g_directoryKnown = false;

std::filesystem::path OwnExecutable()
{
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : path;
}

} // namespace

std::string GetProgramDirectory()
{
    std::lock_guard lock(g_directoryMutex);
    if (!g_directoryKnown) {
        auto parent = OwnExecutable().parent_path();
        g_directory = parent.empty() ? std::string() : parent.string() + '/';
        g_directoryKnown = true;
    }
    return g_directory;
}

void SetProgramDirectory(const std::string& directory)
{
    std::lock_guard lock(g_directoryMutex);
    g_directory = directory;
    if (!g_directory.empty() && g_directory.back() != '/')
        g_directory += '/';
    g_directoryKnown = true;
}

std::string GetProgramName()
{
    auto name = OwnExecutable().filename().string();
    return name.empty() ? std::string("kt7-updater") : name;
}
