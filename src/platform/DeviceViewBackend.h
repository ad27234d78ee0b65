#pragma once
// A view of another backend that lists only the devices at the given paths,
// so that one worker of a parallel update never sees (or resets) the others.
// The simulated devices keep their path across a reset; real devices will be
// keyed by their USB location instead.

#include <algorithm>
#include <string>
#include <vector>

#include "platform/HidBackend.h"

class DeviceViewBackend final : public HidBackend {
public:
    DeviceViewBackend(HidBackend& inner, std::vector<std::string> paths) : m_inner(inner), m_paths(std::move(paths)) {}

    std::vector<HidDeviceInfo> Enumerate() override
    {
        std::vector<HidDeviceInfo> listed = m_inner.Enumerate();
        std::erase_if(listed, [&](const HidDeviceInfo& info) { return !Shows(info.path); });
        return listed;
    }
    std::unique_ptr<HidDeviceHandle> Open(const std::string& path) override
    {
        return Shows(path) ? m_inner.Open(path) : nullptr;
    }

private:
    bool Shows(const std::string& path) const { return std::find(m_paths.begin(), m_paths.end(), path) != m_paths.end(); }

    HidBackend& m_inner;
    std::vector<std::string> m_paths;
};
