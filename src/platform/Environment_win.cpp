#include "platform/Environment.h"

#include <windows.h>

#include "platform/WideText.h"

std::optional<std::string> EnvironmentVariable(const char* name)
{
    // The process's own block, which the C runtime's putenv also updates.
    const std::wstring wideName = Utf8ToWide(name);
    std::wstring value(256, L'\0');
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND)
            return std::nullopt;
        if (length < value.size()) {
            value.resize(length);
            return WideToUtf8(value);
        }
        value.resize(length);
    }
}
