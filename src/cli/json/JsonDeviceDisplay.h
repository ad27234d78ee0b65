#pragma once
// A parallel update's devices as --json lines, each line naming its device.

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cli/DeviceDisplay.h"

class JsonDeviceDisplay final : public DeviceDisplay {
public:
    explicit JsonDeviceDisplay(std::vector<std::string> locations);

    void EnterPhase(int device, UpdatePhase phase) override;
    void SetArea(int device, const std::string& text) override;
    void SetStatus(int device, const std::string& text, int percent, uint32_t remainMs) override;
    // The status steps carry the percent.
    void SetPercent(int /*device*/, int /*percent*/, uint32_t /*remainMs*/) override {}
    void PrintMessage(int device, const std::string& text) override;
    void Finish() override {}

private:
    const std::vector<std::string> m_locations;
    std::mutex m_mutex;
    std::vector<std::optional<std::string>> m_areas;
};
