#include "platform/ProgramDirectory.h"

#include <filesystem>

#include "platform/OwnExecutable.h"
#include "platform/SystemPath.h"

namespace {

// '/' on Linux; '\' on Windows, where '/' is taken as well.
constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

std::filesystem::path OwnExecutable()
{
    return PathFromUtf8(OwnExecutablePath());
}

} // namespace

std::string GetProgramDirectory()
{
    const auto parent = OwnExecutable().parent_path();
    return parent.empty() ? std::string() : PathToUtf8(parent) + kSeparator;
}

std::string GetProgramName()
{
    auto name = PathToUtf8(OwnExecutable().filename());
    return name.empty() ? std::string("kt7-updater") : name;
}
