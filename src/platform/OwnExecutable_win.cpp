#include "platform/OwnExecutable.h"

#include <windows.h>

#include "platform/WideText.h"

std::string OwnExecutablePath()
{
    // Long paths need more than MAX_PATH; the size doubles until it fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return WideToUtf8(path);
        }
        path.resize(path.size() * 2);
    }
}
