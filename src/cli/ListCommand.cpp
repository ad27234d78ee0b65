#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/DeviceResults.h"
#include "cli/UpdateJson.h"
#include "hid/DeviceIdentity.h"
#include "hid/HidIO.h"
#include "platform/JsonWriter.h"

namespace {

std::string JsonOf(int index, const HidDeviceInfo& device)
{
    const std::string range = CommandRangeFor(device.releaseNumber);
    const size_t dash = range.find('-');
    JsonObject commands;
    commands.Text("first", range.substr(0, dash)).Text("last", range.substr(dash + 1));
    JsonObject object;
    object.Number("schema", kJsonSchemaVersion)
        .Number("index", index)
        .Text("location", device.location)
        .Text("path", device.path)
        .TextOrNull("serial", device.serialNumber.empty() ? std::nullopt : std::optional(device.serialNumber))
        .Text("release", ReleaseNumberText(device.releaseNumber))
        .Text("package", PackageFileNameFor(device.releaseNumber))
        .Raw("commands", commands.Str());
    return object.Str();
}

} // namespace

int RunListCommand(const CliOptions& options, RunContext& context)
{
    // The same devices, in the same order and up to the same limit, as every
    // operation of the update opens.
    std::vector<std::string> json;
    int index = 0;
    for (const HidDeviceInfo& device : context.hid.Enumerate()) {
        if (device.vendorId != kDeviceVendorId || device.productId != kDeviceProductId)
            continue;
        if (index == CHidIO::kMaxDevices) {
            // Standard output holds nothing but the JSON text.
            std::fprintf(options.json ? stderr : stdout, "(more devices attached; only the first %d are updated)\n",
                         CHidIO::kMaxDevices);
            break;
        }
        if (options.json) {
            json.push_back(JsonOf(index++, device));
            continue;
        }
        std::printf("%d  %s  %s  release %04X  package %s  commands %s", index, device.location.c_str(),
                    device.path.c_str(), device.releaseNumber, PackageFileNameFor(device.releaseNumber).c_str(),
                    CommandRangeFor(device.releaseNumber).c_str());
        if (!device.serialNumber.empty())
            std::printf("  serial %s", device.serialNumber.c_str());
        std::printf("\n");
        ++index;
    }
    if (options.json)
        std::printf("%s\n", JsonArray(json).c_str());
    // A script asking for devices learns from the code alone that there are none.
    if (index == 0) {
        if (!options.json)
            std::printf("No device attached.\n");
        return ExitCodeOf(UpdateOutcome::NoDevice);
    }
    return kExitSuccess;
}
