#include "platform/DeviceSelection.h"

#include <algorithm>

namespace {

bool Contains(const std::vector<std::string>& locations, const std::string& location)
{
    return std::find(locations.begin(), locations.end(), location) != locations.end();
}

} // namespace

DeviceSelectionBackend::DeviceSelectionBackend(HidBackend& inner, std::vector<std::string> locations)
    : m_inner(inner), m_locations(std::move(locations))
{
}

std::vector<HidDeviceInfo> DeviceSelectionBackend::Enumerate()
{
    std::vector<HidDeviceInfo> devices = m_inner.Enumerate();
    std::erase_if(devices, [&](const HidDeviceInfo& device) { return !Contains(m_locations, device.location); });
    return devices;
}

std::unique_ptr<HidDeviceHandle> DeviceSelectionBackend::Open(const std::string& path)
{
    return m_inner.Open(path);
}

std::vector<std::string> MissingLocations(const std::vector<HidDeviceInfo>& devices,
                                          const std::vector<std::string>& wanted)
{
    std::vector<std::string> missing;
    for (const std::string& location : wanted) {
        const bool present = std::any_of(devices.begin(), devices.end(),
                                         [&](const HidDeviceInfo& device) { return device.location == location; });
        if (!present && !Contains(missing, location))
            missing.push_back(location);
    }
    return missing;
}
