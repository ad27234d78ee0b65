#include "platform/DeviceNode.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

bool DeviceNodeExists(const std::string& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

bool DeviceNodeAccessDenied(const std::string& path)
{
    return access(path.c_str(), R_OK | W_OK) != 0 && errno == EACCES;
}
