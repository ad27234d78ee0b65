#include "backends/UdevLocation.h"

#include <libudev.h>

#include "backends/UsbPortPath.h"

std::string UsbLocationOfHidraw(const std::string& nodePath)
{
    const size_t slash = nodePath.rfind('/');
    const std::string sysname = slash == std::string::npos ? nodePath : nodePath.substr(slash + 1);
    udev* context = udev_new();
    if (!context)
        return {};
    std::string location;
    if (udev_device* node = udev_device_new_from_subsystem_sysname(context, "hidraw", sysname.c_str())) {
        // The parent is owned by the node and goes with it.
        udev_device* usb = udev_device_get_parent_with_subsystem_devtype(node, "usb", "usb_device");
        if (usb && udev_device_get_devpath(usb))
            location = UsbPortPathOf(udev_device_get_devpath(usb));
        udev_device_unref(node);
    }
    udev_unref(context);
    return location;
}
