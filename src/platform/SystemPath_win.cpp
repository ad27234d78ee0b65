#include "platform/SystemPath.h"

#include "platform/WideText.h"

std::filesystem::path PathFromUtf8(const std::string& text)
{
    return std::filesystem::path(Utf8ToWide(text));
}

std::string PathToUtf8(const std::filesystem::path& path)
{
    return WideToUtf8(path.native());
}

std::FILE* OpenFile(const std::string& path, const char* mode)
{
    // The C runtime spells "not inherited" N.
    std::wstring wideMode;
    for (const char* c = mode; *c; ++c)
        wideMode += *c == 'e' ? L'N' : static_cast<wchar_t>(*c);
    return _wfopen(Utf8ToWide(path).c_str(), wideMode.c_str());
}
