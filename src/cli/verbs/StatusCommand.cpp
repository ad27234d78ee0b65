// kt7-flash status: what each attached device holds, read from its control
// blocks. The decisions are CheckDeviceStatus's; this prints them.

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "cli/json/StatusJson.h"
#include "cli/verbs/Commands.h"
#include "cli/verbs/UpdatedDevices.h"
#include "hid/ReleaseProbe.h"
#include "package/PackageShelf.h"
#include "platform/Diagnostics.h"
#include "platform/JsonWriter.h"
#include "platform/SystemPath.h"
#include "platform/UpdateLock.h"
#include "texts/UserTexts.h"
#include "wizard/DeviceStatusCheck.h"

namespace {

std::string HeldText(const DeviceStatus& status, const std::string& packageFile)
{
    const ControlBlockReading& reading = *status.reading;
    if (HoldsThePackage(status))
        return StatusThisPackageText(packageFile);
    if (reading.held == HeldPackage::ThisPackage) {
        std::vector<std::string> areas;
        for (int area = 0; area < 3; ++area)
            if (status.areaEndsAgree && !(*status.areaEndsAgree)[area])
                areas.push_back(AreaText(area));
        return StatusPackageInPartText(packageFile, areas);
    }
    if (reading.held == HeldPackage::OtherPackage) {
        std::vector<std::string> differences;
        for (int area = 0; area < 3; ++area)
            if (!reading.lengthAgrees[area] || !reading.sumAgrees[area])
                differences.push_back(AreaDifferenceText(area, !reading.lengthAgrees[area], !reading.sumAgrees[area]));
        return StatusOtherPackageText(packageFile, differences);
    }
    std::vector<std::string> problems;
    if (reading.checkCode != BlockState::Valid)
        problems.push_back(BlockProblemText(true, reading.checkCode == BlockState::Erased));
    if (reading.descriptor != BlockState::Valid)
        problems.push_back(BlockProblemText(false, reading.descriptor == BlockState::Erased));
    return StatusNoPackageText(problems);
}

std::string VerdictText(const DeviceStatus& status)
{
    const std::string packageFile = PathToUtf8(PathFromUtf8(status.packagePath).filename());
    switch (status.kind) {
    case DeviceStatus::Kind::Read:
        return HeldText(status, packageFile);
    case DeviceStatus::Kind::PackageNotLoaded:
        return StatusPackageNotLoadedText(packageFile);
    case DeviceStatus::Kind::PackageRefused:
        return StatusPackageRefusedText(packageFile);
    case DeviceStatus::Kind::NotRead:
        return StatusNotReadText(status.message);
    }
    return StatusNotReadText(status.message);
}

// "sim-0  release 5512  serial 0001A3  holds KT7_Down.dat", as list shows a device.
std::string StatusLine(const DeviceStatus& status)
{
    const HidDeviceInfo& device = status.device;
    std::string line = device.location + "  release " + ReleaseNumberText(device.releaseNumber);
    if (!device.serialNumber.empty())
        line += "  serial " + device.serialNumber;
    return line + "  " + VerdictText(status);
}

} // namespace

int RunStatusCommand(const CliOptions& options, RunContext& context, const PackagePlaces& places,
                     const std::string& lockPath)
{
    // Reads of status and the reports of an update must not cross on a device.
    UpdateLock lock(lockPath, context.diagnostics);
    if (!lock.Held()) {
        context.prompter.ShowMessage(kMsgAnotherUpdateRunning);
        return ExitCodeOf(UpdateOutcome::Locked);
    }
    const std::vector<HidDeviceInfo> devices = UpdatedDevices(context.hid);
    if (devices.empty()) {
        std::printf("%s\n", options.json ? "[]" : "No device attached.");
        return ExitCodeOf(UpdateOutcome::NoDevice);
    }
    // Devices of one kind are compared with one loaded package.
    PackageShelf packages(places, context.clock);
    std::set<std::string> packagesTold;
    std::vector<std::string> json;
    int exitCode = kExitSuccess;
    for (size_t i = 0; i < devices.size(); ++i) {
        const int index = static_cast<int>(i);
        const DeviceStatus status = CheckDeviceStatus(context, packages, options.expectedSha256, devices[i], index);
        // A package's message once, however many devices take it.
        const bool packageProblem = status.kind == DeviceStatus::Kind::PackageNotLoaded ||
                                    status.kind == DeviceStatus::Kind::PackageRefused;
        if (packageProblem && packagesTold.insert(status.packagePath).second)
            context.prompter.ShowMessage(status.message);
        const std::string line = StatusLine(status);
        DiagPrintf(context.diagnostics, "kt7-flash status: %s\n", line.c_str());
        if (options.json)
            json.push_back(StatusJson(index, status));
        else
            std::printf("%s\n", line.c_str());
        exitCode = std::max(exitCode, status.exitCode);
    }
    if (options.json)
        std::printf("%s\n", JsonArray(json).c_str());
    return exitCode;
}
