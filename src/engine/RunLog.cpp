#include "engine/RunLog.h"

#include <cstdio>

#include "hid/ReleaseProbe.h"
#include "package/PackageSummary.h"

namespace {

std::string DeviceText(const HidDeviceInfo& device)
{
    return std::string(device.location.empty() ? device.path : device.location) + ", serial " +
           (device.serialNumber.empty() ? "-" : device.serialNumber) + ", release " +
           ReleaseNumberText(device.releaseNumber);
}

} // namespace

void LogPackage(DiagnosticsSink& log, const LoadedPackage& package)
{
    const PackageSummaryFields fields = SummaryFieldsOf(package.header);
    DiagPrintf(log, "Package: %s (%llu bytes), made %s, main %s, voice %s, data %s\n",
               package.path.empty() ? "(in memory)" : package.path.c_str(),
               static_cast<unsigned long long>(package.fileSize), fields.updateTime.c_str(),
               fields.firmwareVersion.c_str(), fields.voiceVersion.c_str(), fields.dataVersion.c_str());
}

void LogRunStart(DiagnosticsSink& log, const std::string& program, const LoadedPackage& package,
                 const std::vector<HidDeviceInfo>& devices, int firstNumber, bool verify)
{
    DiagPrintf(log, "%s %s: update of %llu device%s, verify %s\n", program.c_str(), KT7_VERSION,
               static_cast<unsigned long long>(devices.size()),
               devices.size() == 1 ? "" : "s", verify ? "on" : "off");
    LogPackage(log, package);
    for (size_t i = 0; i < devices.size(); ++i)
        DiagPrintf(log, "Device %llu: %s\n", static_cast<unsigned long long>(firstNumber + i),
                   DeviceText(devices[i]).c_str());
}

void LogDeviceResults(DiagnosticsSink& log, const std::vector<DeviceResult>& results)
{
    for (const DeviceResult& result : results) {
        const std::string where = DeviceText(result.device);
        switch (result.kind) {
        case DeviceResultKind::Updated:
            DiagPrintf(log, "Result: %s: updated\n", where.c_str());
            break;
        case DeviceResultKind::Failed:
            DiagPrintf(log, "Result: %s: FAILED: %s%s%s\n", where.c_str(), result.message.c_str(),
                       result.cause.empty() ? "" : " (", result.cause.empty() ? "" : (result.cause + ")").c_str());
            break;
        case DeviceResultKind::Stopped:
            DiagPrintf(log, "Result: %s: stopped unfinished, because the device at %s failed\n", where.c_str(),
                       result.cause.c_str());
            break;
        }
    }
}
