#include "backends/DevicePermission.h"

#include <cerrno>
#include <unistd.h>

bool IsAccessDenied(const std::string& path)
{
    return access(path.c_str(), R_OK | W_OK) != 0 && errno == EACCES;
}

std::string AccessDeniedLine(const std::string& path)
{
    return "Permission denied opening HID device " + path + "; install the udev rule " + kUdevRulePath +
           " and plug the device in again\n";
}
