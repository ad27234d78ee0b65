#include "backends/WindowsUsbLocation.h"

#include <optional>

namespace {

// Port and hub numbers are short; a longer run of digits is garbage (and
// would not fit).
constexpr size_t MaxDigits = 5;

// "0003" -> 3, written back without the leading zeros.
std::optional<std::string> Number(std::string_view digits)
{
    if (digits.empty() || digits.size() > MaxDigits)
        return std::nullopt;
    unsigned value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return std::to_string(value);
}

// "USB(3)" with name "USB" -> "3".
std::optional<std::string> Argument(std::string_view segment, std::string_view name)
{
    if (segment.size() < name.size() + 2 || segment.substr(0, name.size()) != name ||
        segment[name.size()] != '(' || segment.back() != ')')
        return std::nullopt;
    return Number(segment.substr(name.size() + 1, segment.size() - name.size() - 2));
}

std::string_view NextPart(std::string_view& text, char separator)
{
    const size_t end = text.find(separator);
    const std::string_view part = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    return part;
}

std::string PortPathOfLocationPath(std::string_view path)
{
    // Whatever leads to the root hub (PCI, ACPI, ...) says nothing about the port.
    std::optional<std::string> root;
    while (!path.empty() && !root)
        root = Argument(NextPart(path, '#'), "USBROOT");
    if (!root)
        return {};
    std::string ports;
    bool interfaces = false;
    while (!path.empty()) {
        const std::string_view segment = NextPart(path, '#');
        if (std::optional<std::string> port = Argument(segment, "USB"); port && !interfaces)
            ports += (ports.empty() ? "" : ".") + *port;
        else if (Argument(segment, "USBMI") && !ports.empty())
            interfaces = true;
        else
            return {};
    }
    return ports.empty() ? std::string() : "usb" + *root + "-" + ports;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 'a' + 'A') : text[i];
        if (c != prefix[i])
            return false;
    }
    return true;
}

} // namespace

bool IsUsbPortDeviceInstanceId(std::string_view instanceId)
{
    if (!StartsWithIgnoringCase(instanceId, "USB\\"))
        return false;
    // The hardware id is the part up to the next backslash; "&MI_nn" in it marks an interface.
    std::string_view hardwareId = instanceId.substr(4);
    hardwareId = hardwareId.substr(0, hardwareId.find('\\'));
    for (size_t at = hardwareId.find('&'); at != std::string_view::npos; at = hardwareId.find('&', at + 1))
        if (StartsWithIgnoringCase(hardwareId.substr(at + 1), "MI_"))
            return false;
    return true;
}

std::string UsbPortPathOfLocationPaths(std::string_view locationPaths)
{
    while (!locationPaths.empty()) {
        const std::string found = PortPathOfLocationPath(NextPart(locationPaths, '\0'));
        if (!found.empty())
            return found;
    }
    return {};
}

std::string UsbPortOfLocationInfo(std::string_view locationInfo)
{
    constexpr std::string_view portPrefix = "Port_#";
    constexpr std::string_view hubPrefix = "Hub_#";
    const std::string_view portPart = NextPart(locationInfo, '.');
    const std::string_view hubPart = locationInfo;
    if (portPart.substr(0, portPrefix.size()) != portPrefix || hubPart.substr(0, hubPrefix.size()) != hubPrefix)
        return {};
    const std::optional<std::string> port = Number(portPart.substr(portPrefix.size()));
    const std::optional<std::string> hub = Number(hubPart.substr(hubPrefix.size()));
    if (!port || !hub)
        return {};
    return "hub" + *hub + "-" + *port;
}
