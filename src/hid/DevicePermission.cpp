#include "hid/DevicePermission.h"

#include "platform/DeviceNode.h"
#include "hid/DeviceIdentity.h"
#include "texts/UserTexts.h"

namespace {

// Writes the rule, makes udev read it and applies it to what is plugged in.
std::string InstallCommand()
{
    return std::string("echo 'SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"0416\", ATTRS{idProduct}==\"b500\", "
                       "TAG+=\"uaccess\"' | sudo tee ") +
           kUdevRulePath + " && sudo udevadm control --reload && sudo udevadm trigger";
}

} // namespace

bool IsAccessDenied(const std::string& path)
{
    return DeviceNodeAccessDenied(path);
}

std::string AccessDeniedLine(const std::string& path)
{
    return "Permission denied opening HID device " + path + "; install the udev rule " + kUdevRulePath +
           " and plug the device in again\n";
}

std::string DevicePermissionHint(HidBackend& backend)
{
    std::string denied;
    for (const HidDeviceInfo& device : backend.Enumerate()) {
        if (device.vendorId != kDeviceVendorId || device.productId != kDeviceProductId ||
            !IsAccessDenied(device.path))
            continue;
        denied += (denied.empty() ? "" : "、") + device.path;
    }
    if (denied.empty())
        return {};
    return DevicePermissionText(denied, kUdevRulePath, InstallCommand());
}

std::string WithDevicePermissionHint(HidBackend& backend, const std::string& message)
{
    const std::string hint = DevicePermissionHint(backend);
    return hint.empty() ? message : message + "\n" + hint;
}
