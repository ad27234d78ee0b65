#pragma once
// The devices a run may touch, chosen by location: a view of a backend that
// lists only the devices at the chosen locations. Opening, reading and
// writing pass through, so every operation that finds its devices by
// enumerating sees only the chosen ones.

#include <string>
#include <vector>

#include "platform/HidBackend.h"

class DeviceSelectionBackend final : public HidBackend {
public:
    // `inner` must outlive this view.
    DeviceSelectionBackend(HidBackend& inner, std::vector<std::string> locations);

    std::vector<HidDeviceInfo> Enumerate() override;
    std::unique_ptr<HidDeviceHandle> Open(const std::string& path) override;

private:
    HidBackend& m_inner;
    std::vector<std::string> m_locations;
};

// The locations among `wanted` at which none of `devices` is, in the order given.
std::vector<std::string> MissingLocations(const std::vector<HidDeviceInfo>& devices,
                                          const std::vector<std::string>& wanted);
