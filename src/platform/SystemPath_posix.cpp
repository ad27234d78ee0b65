#include "platform/SystemPath.h"

std::filesystem::path PathFromUtf8(const std::string& text)
{
    return std::filesystem::path(text);
}

std::string PathToUtf8(const std::filesystem::path& path)
{
    return path.string();
}

std::FILE* OpenFile(const std::string& path, const char* mode)
{
    return std::fopen(path.c_str(), mode);
}
