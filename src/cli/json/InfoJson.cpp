#include "cli/json/InfoJson.h"

#include <vector>

#include "cli/json/UpdateJson.h"
#include "package/AreaLayout.h"
#include "package/PackageSummary.h"
#include "platform/JsonWriter.h"

namespace {

// Sectors and pages only for a package that passed its checks: for any
// other the header's addresses may lie outside flash altogether.
std::string AreaJson(const char* name, uint32_t address, uint32_t size, uint32_t offset, const AreaLayout& layout,
                     bool placed)
{
    JsonObject area;
    area.Text("name", name).Number("address", address).Number("size", size).Number("offset", offset);
    if (placed)
        area.Number("first_sector", layout.firstSector)
            .Number("sector_count", layout.sectorCount)
            .Number("first_page", layout.firstPage)
            .Number("page_count", layout.pageCount);
    else
        area.Null("first_sector").Null("sector_count").Null("first_page").Null("page_count");
    return area.Str();
}

} // namespace

std::string InfoJson(const std::string& path, const PackageHeader& h, const std::string& checkFailure,
                     const std::string& sha256, std::optional<bool> expected)
{
    const PackageSummaryFields fields = SummaryFieldsOf(h);
    const PackageLayout layout = LayoutOf(h);
    const bool placed = checkFailure.empty();
    // In programming order, as the update writes them.
    std::vector<std::string> areas;
    if (layout.map.present)
        areas.push_back(AreaJson("map", h.mapAddress, h.mapSize, h.mapOffset, layout.map, placed));
    if (layout.voice.present)
        areas.push_back(AreaJson("voice", h.voiceAddress, h.voiceSize, h.voiceOffset, layout.voice, placed));
    if (layout.main.present)
        areas.push_back(AreaJson("main", h.mainAddress, h.mainSize, h.mainOffset, layout.main, placed));

    JsonObject info;
    info.Number("schema", kJsonSchemaVersion)
        .Text("package", path)
        .Text("solution", fields.solution)
        .Text("update_time", fields.updateTime)
        .Text("software_version", fields.softwareVersion)
        .Text("firmware_version", fields.firmwareVersion)
        .Text("voice_version", fields.voiceVersion)
        .Text("data_version", fields.dataVersion)
        .Raw("areas", JsonArray(areas))
        .TextOrNull("check", checkFailure.empty() ? std::nullopt : std::optional(checkFailure))
        .Text("sha256", sha256);
    if (expected)
        info.Bool("sha256_expected", *expected);
    else
        info.Null("sha256_expected");
    return info.Str();
}

std::string InfoErrorJson(const std::string& path, const std::string& error)
{
    JsonObject info;
    info.Number("schema", kJsonSchemaVersion).Text("package", path).Text("error", error);
    return info.Str();
}
