#pragma once
// Checks a simulated device's flash image with kt7-usb-verify (Linux only).

#include <sys/wait.h>

#include <cstdlib>
#include <string>

// True when `image` holds a whole update from `package`.
inline bool HoldsTheUpdate(const std::string& package, const std::string& image)
{
    const std::string command = std::string(KT7_VERIFY_PROGRAM) + " '" + package + "' '" + image + "' >/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
