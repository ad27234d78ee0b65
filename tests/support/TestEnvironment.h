#pragma once
// Environment and temporary folders for tests, on Linux and Windows alike.

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include "platform/WideText.h"
#endif

// Values are UTF-8. On Windows both the C runtime's copy and the process's
// own block are set: the runtime cannot hold an empty value, and the
// programs read the block.
inline void SetEnv(const char* name, const std::string& value)
{
#ifdef _WIN32
    const std::wstring wideName = Utf8ToWide(name);
    _wputenv_s(wideName.c_str(), Utf8ToWide(value).c_str());
    SetEnvironmentVariableW(wideName.c_str(), Utf8ToWide(value).c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

inline void UnsetEnv(const char* name)
{
#ifdef _WIN32
    const std::wstring wideName = Utf8ToWide(name);
    _wputenv_s(wideName.c_str(), L"");  // an empty value removes it from the runtime's copy
    SetEnvironmentVariableW(wideName.c_str(), nullptr);
#else
    unsetenv(name);
#endif
}

// The variable the log folder is taken from: the log goes to
// <value>/kt7-updater/kt7-updater.log on both systems.
#ifdef _WIN32
inline constexpr char kLogHomeVariable[] = "LOCALAPPDATA";
#else
inline constexpr char kLogHomeVariable[] = "XDG_STATE_HOME";
#endif

// A new empty folder under the system's temporary folder, named
// <prefix>-<random>.
inline std::filesystem::path MakeTempFolder(const std::string& prefix)
{
    std::random_device random;
    for (;;) {
        auto path = std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(random()));
        if (std::filesystem::create_directory(path))
            return path;
    }
}
