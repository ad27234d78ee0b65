#pragma once
// A parallel update's devices as --json lines, each line naming its device:
// a phase line for every step, a progress line for every status text, a
// message line for every message box.

#include <string>
#include <vector>

#include "cli/DeviceDisplay.h"

class JsonDeviceDisplay final : public DeviceDisplay {
public:
    explicit JsonDeviceDisplay(std::vector<std::string> locations) : m_locations(std::move(locations)) {}

    void OnProgress(int device, const ProgressEvent& event) override;
    void PrintMessage(int device, const std::string& text) override;
    // Standard output holds the JSON lines alone: the run's own lines go to
    // standard error.
    void PrintLine(const std::string& text) override;
    void Finish() override {}

private:
    const std::vector<std::string> m_locations;
};
