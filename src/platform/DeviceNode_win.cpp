#include "platform/DeviceNode.h"

bool DeviceNodeExists(const std::string&)
{
    return true;
}

bool DeviceNodeAccessDenied(const std::string&)
{
    return false;
}
