#include "wizard/DeviceStatusCheck.h"

#include <algorithm>

#include "engine/HeldPackageRead.h"
#include "engine/UpdateOutcome.h"
#include "hid/DeviceKind.h"
#include "hid/DeviceSet.h"
#include "package/ExpectedPackage.h"
#include "platform/DeviceSelection.h"

bool HoldsThePackage(const DeviceStatus& status)
{
    const auto& ends = status.areaEndsAgree;
    return status.reading && status.reading->held == HeldPackage::ThisPackage && ends &&
           std::all_of(ends->begin(), ends->end(), [](bool agrees) { return agrees; });
}

DeviceStatus CheckDeviceStatus(RunContext& context, PackageShelf& packages,
                               const std::vector<std::string>& expectedSha256, const HidDeviceInfo& device,
                               int index)
{
    DeviceStatus status;
    status.device = device;
    const DeviceKind kind = KindOf(device.releaseNumber);
    const PackageLoad load = packages.For(ReleaseTextOf(kind));
    status.packagePath = load.path;
    if (!load) {
        status.kind = DeviceStatus::Kind::PackageNotLoaded;
        status.message = load.message;
        status.exitCode = ExitCodeOf(UpdateOutcome::PackageLoadFailed);
        return status;
    }
    status.sha256 = load.package->sha256;
    const PackageLoad expected = RefuseUnexpectedPackage(load, expectedSha256);
    if (!expected) {
        status.kind = DeviceStatus::Kind::PackageRefused;
        status.message = expected.message;
        status.exitCode = ExitCodeOf(UpdateOutcome::PackageLoadFailed);
        return status;
    }

    DeviceSelectionBackend view(context.hid, {device.location});
    DeviceSet devices(view, context.clock, context.diagnostics);
    devices.NumberDevicesFrom(index);
    devices.SelectCommandSet(kind.deviceSpecific ? 1 : 0);
    const HeldPackageRead read = ReadHeldPackage(devices, *load.package);
    if (!read.reading) {
        status.kind = DeviceStatus::Kind::NotRead;
        status.message = read.failure ? read.failure->detail : std::string("no answer");
        status.exitCode = ExitCodeOf(UpdateOutcome::UpdateFailed);
        return status;
    }
    status.kind = DeviceStatus::Kind::Read;
    status.reading = read.reading;
    status.areaEndsAgree = read.areaEndsAgree;
    status.exitCode = HoldsThePackage(status) ? 0 : kExitNotThePackage;
    return status;
}
