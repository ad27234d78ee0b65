#include "engine/DeviceResult.h"

#include <algorithm>

namespace {

std::string WhereOf(const HidDeviceInfo& device)
{
    return device.location.empty() ? device.path : device.location;
}

} // namespace

std::string FailureText(const DeviceFailure& failure)
{
    std::string line = FailureLogLine(failure);
    constexpr std::string_view kPrefix = "ERROR: ";
    if (line.starts_with(kPrefix))
        line.erase(0, kPrefix.size());
    while (!line.empty() && line.back() == '\n')
        line.pop_back();
    return line;
}

std::vector<DeviceResult> InStepResults(const std::vector<HidDeviceInfo>& devices, bool succeeded,
                                        const std::string& message, const std::optional<DeviceFailure>& failure)
{
    std::vector<DeviceResult> results;
    const bool named = failure && !failure->location.empty() &&
                       std::any_of(devices.begin(), devices.end(), [&](const HidDeviceInfo& device) {
                           return WhereOf(device) == failure->location;
                       });
    for (const HidDeviceInfo& device : devices) {
        DeviceResult result;
        result.device = device;
        if (succeeded) {
            result.kind = DeviceResultKind::Updated;
        } else if (named && WhereOf(device) != failure->location) {
            result.kind = DeviceResultKind::Stopped;
            result.cause = failure->location;
        } else {
            result.kind = DeviceResultKind::Failed;
            result.message = message;
            result.cause = failure ? FailureText(*failure) : std::string();
        }
        results.push_back(std::move(result));
    }
    return results;
}
