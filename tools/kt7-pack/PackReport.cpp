#include "PackReport.h"

#include <cstdio>
#include <cstring>

#include "package/AreaLayout.h"
#include "platform/Sha256.h"

namespace {

std::string Range(uint32_t first, uint32_t count)
{
    return count <= 1 ? std::to_string(first) : std::to_string(first) + "-" + std::to_string(first + count - 1);
}

std::string Version(const char (&field)[4])
{
    return std::string(field, strnlen(field, sizeof field));
}

std::string Row(const char* name, uint32_t address, uint32_t size, const AreaLayout& layout, const std::string& version)
{
    char line[160];
    std::snprintf(line, sizeof line, "%-6s 0x%08X %7u  %-8s %-11s %s", name, address, size,
                  Range(layout.firstSector, layout.sectorCount).c_str(), Range(layout.firstPage, layout.pageCount).c_str(),
                  version.c_str());
    std::string row = line;
    row.erase(row.find_last_not_of(' ') + 1);  // no version, no trailing blanks
    return row + "\n";
}

}  // namespace

std::string PackReport(const std::string& path, const std::vector<uint8_t>& file, const PackageHeader& h)
{
    std::string report = "wrote " + path + ", " + std::to_string(file.size()) + " bytes\n";
    report += "SHA-256 " + Sha256Hex(Sha256Of(file.data(), file.size())) + "\n";
    char heading[160];
    std::snprintf(heading, sizeof heading, "%-6s %-10s %7s  %-8s %-11s %s\n", "area", "address", "bytes", "sectors",
                  "pages", "version");
    report += heading;
    const PackageLayout layout = LayoutOf(h);
    // In flash order; the map's bytes are its data, its pages hold the random block too.
    if (layout.main.present)
        report += Row("main", h.mainAddress, h.mainSize, layout.main, Version(h.firmwareVersion));
    if (layout.voice.present)
        report += Row("voice", h.voiceAddress, h.voiceSize, layout.voice, Version(h.voiceVersion));
    if (layout.map.present)
        report += Row("map", h.mapAddress, h.mapSize, layout.map, Version(h.dataVersion));
    return report;
}
