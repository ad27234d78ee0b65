#include "backends/UdevLocation.h"

#include <windows.h>

#include <cfgmgr32.h>
#include <initguid.h>
// After initguid.h, so that the property keys are defined here.
#include <devpkey.h>

#include "backends/WindowsUsbLocation.h"
#include "platform/WideText.h"

// MinGW-w64's cfgmgr32.h (10.0) lacks this declaration; its import library has the function.
extern "C" CMAPI CONFIGRET WINAPI CM_Get_Device_Interface_PropertyW(LPCWSTR pszDeviceInterface,
                                                                   const DEVPROPKEY* PropertyKey,
                                                                   DEVPROPTYPE* PropertyType, PBYTE PropertyBuffer,
                                                                   PULONG PropertyBufferSize, ULONG ulFlags);

namespace {

// A string or string-list property as UTF-8, list entries separated by NULs;
// empty when it is missing or of another type. `read(type, buffer, size)`
// asks for it: once for its size, then for its value.
template <typename Read>
std::string StringProperty(Read read)
{
    DEVPROPTYPE type = 0;
    ULONG size = 0;
    if (read(&type, nullptr, &size) != CR_BUFFER_SMALL || size == 0)
        return {};
    std::wstring value(size / sizeof(wchar_t), L'\0');
    if (read(&type, reinterpret_cast<PBYTE>(value.data()), &size) != CR_SUCCESS)
        return {};
    if (type != DEVPROP_TYPE_STRING && type != DEVPROP_TYPE_STRING_LIST)
        return {};
    value.resize(size / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0')
        value.pop_back();
    return WideToUtf8(value);
}

std::string NodeProperty(DEVINST node, const DEVPROPKEY& key)
{
    return StringProperty([&](DEVPROPTYPE* type, PBYTE buffer, PULONG size) {
        return CM_Get_DevNode_PropertyW(node, &key, type, buffer, size, 0);
    });
}

// The device node behind a HID device interface path (hidapi's path).
bool LocateInterfaceNode(const std::string& interfacePath, DEVINST& node)
{
    const std::wstring path = Utf8ToWide(interfacePath);
    const std::string instanceId = StringProperty([&](DEVPROPTYPE* type, PBYTE buffer, PULONG size) {
        return CM_Get_Device_Interface_PropertyW(path.c_str(), &DEVPKEY_Device_InstanceId, type, buffer, size, 0);
    });
    if (instanceId.empty())
        return false;
    std::wstring id = Utf8ToWide(instanceId);
    return CM_Locate_DevNodeW(&node, id.data(), CM_LOCATE_DEVNODE_NORMAL) == CR_SUCCESS;
}

} // namespace

// hidapi's paths on Windows are device interface paths, not hidraw nodes; the
// port is read from the USB device node above the HID one.
std::string UsbLocationOfHidraw(const std::string& nodePath)
{
    DEVINST node = 0;
    if (!LocateInterfaceNode(nodePath, node))
        return {};
    // Up from the HID node; the tree's root has no parent.
    for (;;) {
        if (IsUsbPortDeviceInstanceId(NodeProperty(node, DEVPKEY_Device_InstanceId))) {
            std::string location = UsbPortPathOfLocationPaths(NodeProperty(node, DEVPKEY_Device_LocationPaths));
            if (location.empty())
                location = UsbPortOfLocationInfo(NodeProperty(node, DEVPKEY_Device_LocationInfo));
            return location;
        }
        DEVINST parent = 0;
        if (CM_Get_Parent(&parent, node, 0) != CR_SUCCESS)
            return {};
        node = parent;
    }
}
