#include "cli/json/StatusJson.h"

#include <array>
#include <vector>

#include "cli/json/UpdateJson.h"
#include "hid/ReleaseProbe.h"
#include "platform/JsonWriter.h"

namespace {

// In the order of the control blocks' values.
const char* const kAreaNames[] = {"main", "voice", "map"};

const char* HeldName(const DeviceStatus& status)
{
    if (HoldsThePackage(status))
        return "this-package";
    switch (status.reading->held) {
    case HeldPackage::ThisPackage:
        return "this-package-in-part";
    case HeldPackage::OtherPackage:
        return "other-package";
    case HeldPackage::NoPackage:
        return "no-package";
    }
    return "no-package";
}

const char* BlockName(BlockState state)
{
    switch (state) {
    case BlockState::Valid:
        return "valid";
    case BlockState::Erased:
        return "erased";
    case BlockState::NotValid:
        return "not-valid";
    }
    return "not-valid";
}

// "main_length", "map_sum", ...: the values that are not the package's.
std::string DiffersJson(const ControlBlockReading& reading)
{
    std::vector<std::string> differs;
    for (int area = 0; area < 3; ++area) {
        if (!reading.lengthAgrees[area])
            differs.push_back(JsonString(std::string(kAreaNames[area]) + "_length"));
        if (!reading.sumAgrees[area])
            differs.push_back(JsonString(std::string(kAreaNames[area]) + "_sum"));
    }
    return JsonArray(differs);
}

// "voice", ...: the areas whose first or last page is not the package's.
std::string AreasDifferJson(const std::array<bool, 3>& endsAgree)
{
    std::vector<std::string> differ;
    for (int area = 0; area < 3; ++area)
        if (!endsAgree[area])
            differ.push_back(JsonString(kAreaNames[area]));
    return JsonArray(differ);
}

std::optional<std::string> Given(const std::string& text)
{
    return text.empty() ? std::nullopt : std::optional(text);
}

}  // namespace

std::string StatusJson(int index, const DeviceStatus& status)
{
    const HidDeviceInfo& device = status.device;
    JsonObject object;
    object.Number("schema", kJsonSchemaVersion)
        .Number("index", index)
        .Text("location", device.location)
        .Text("path", device.path)
        .TextOrNull("serial", Given(device.serialNumber))
        .Text("release", ReleaseNumberText(device.releaseNumber))
        .Text("package", status.packagePath)
        .TextOrNull("sha256", Given(status.sha256));
    if (status.reading) {
        const ControlBlockReading& reading = *status.reading;
        object.Text("held", HeldName(status))
            .Text("check_code_block", BlockName(reading.checkCode))
            .Text("descriptor_block", BlockName(reading.descriptor));
        if (reading.values)
            object.Raw("differs", DiffersJson(reading));
        else
            object.Null("differs");
        if (status.areaEndsAgree)
            object.Raw("areas_differ", AreasDifferJson(*status.areaEndsAgree));
        else
            object.Null("areas_differ");
    } else {
        object.Null("held").Null("check_code_block").Null("descriptor_block").Null("differs").Null("areas_differ");
    }
    object.Number("exit_code", status.exitCode)
        .TextOrNull("error", status.kind == DeviceStatus::Kind::Read ? std::nullopt : std::optional(status.message));
    return object.Str();
}
