#include "platform/ProgramDirectory.h"

#include <filesystem>
#include <mutex>

#include "platform/OwnExecutable.h"
#include "platform/SystemPath.h"

namespace {

std::mutex g_directoryMutex;
std::string g_directory;
bool g_directoryKnown = false;

// '/' on Linux; '\' on Windows, where '/' is taken as well.
constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

std::filesystem::path OwnExecutable()
{
    return PathFromUtf8(OwnExecutablePath());
}

} // namespace

std::string GetProgramDirectory()
{
    std::lock_guard lock(g_directoryMutex);
    if (!g_directoryKnown) {
        auto parent = OwnExecutable().parent_path();
        g_directory = parent.empty() ? std::string() : PathToUtf8(parent) + kSeparator;
        g_directoryKnown = true;
    }
    return g_directory;
}

void SetProgramDirectory(const std::string& directory)
{
    std::lock_guard lock(g_directoryMutex);
    g_directory = directory;
    if (!g_directory.empty() && g_directory.back() != '/' && g_directory.back() != kSeparator)
        g_directory += kSeparator;
    g_directoryKnown = true;
}

std::string GetProgramName()
{
    auto name = PathToUtf8(OwnExecutable().filename());
    return name.empty() ? std::string("kt7-updater") : name;
}
