#include "platform/OwnExecutable.h"

#include <filesystem>
#include <system_error>

std::string OwnExecutablePath()
{
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}
