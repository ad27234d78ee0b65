#include "engine/HeldPackageRead.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/ExpectedAreaValues.h"
#include "hid/DeviceSet.h"
#include "hid/HidCmd.h"
#include "hid/PageReadBack.h"
#include "package/AreaLayout.h"
#include "platform/FlashGeometry.h"

namespace {

// One page of the device, or the failure recorded in `devices`.
bool ReadOnePage(DeviceSet& devices, CHidCmd& cmd, uint32_t page, const std::string& what, uint8_t out[kPageSize])
{
    const std::string operation = "read of " + what + " (page " + std::to_string(page) + ")";
    const PageComparison read = ReadPages(cmd, 0, page, 1, out);
    if (read.matches)
        return true;
    if (!read.sent)
        devices.RecordTransferFailure(cmd, 0, operation, "the read command", false, kTransferTimeoutMs);
    else
        devices.RecordTransferFailure(cmd, 0, operation, "the read of page " + std::to_string(page), true,
                                      kTransferTimeoutMs);
    return false;
}

// Whether the device's page `page` is the 256 bytes at `expected`; nullopt
// when it could not be read.
std::optional<bool> PageIs(DeviceSet& devices, CHidCmd& cmd, uint32_t page, const std::string& what,
                           const uint8_t* expected)
{
    uint8_t got[kPageSize];
    if (!ReadOnePage(devices, cmd, page, what, got))
        return std::nullopt;
    return std::equal(got, got + kPageSize, expected);
}

// The area's first and last page (`sent` holds its pages as the update sends
// them); the map's first page is skipped, being the device's own block.
std::optional<bool> AreaEndsAre(DeviceSet& devices, CHidCmd& cmd, const AreaLayout& area, const uint8_t* sent,
                                const char* name)
{
    const uint32_t last = area.pageCount - 1;
    const bool checkFirst = area.number != 1 && last > 0;
    const std::optional<bool> first =
        checkFirst ? PageIs(devices, cmd, area.firstPage, std::string("the first page of the ") + name, sent)
                   : std::optional(true);
    if (!first || !*first)
        return first;
    return PageIs(devices, cmd, area.firstPage + last, std::string("the last page of the ") + name,
                  sent + uint64_t(last) * kPageSize);
}

}  // namespace

HeldPackageRead ReadHeldPackage(DeviceSet& devices, const LoadedPackage& package)
{
    HeldPackageRead result;
    devices.ClearFailure();
    // A device gone since it was listed is then named in the failure.
    devices.RememberDevices();
    CHidCmd cmd(devices);
    const int attached = cmd.OpenDevice();
    if (attached != 1) {
        if (attached == 0)
            devices.RecordNoDevice("read of the control blocks");
        else
            devices.RecordCountChange(attached, "read of the control blocks");
        result.failure = devices.Failure();
        return result;
    }

    uint8_t checkCode[kPageSize];
    uint8_t descriptor[kPageSize];
    MapRandomBlock deviceRandomBlock;
    deviceRandomBlock.fill(0xFF);
    const PackageHeader& header = package.header;
    const PackageLayout layout = LayoutOf(header);
    const bool read = ReadOnePage(devices, cmd, kCheckCodePage, "the check-code block", checkCode) &&
                      ReadOnePage(devices, cmd, kDescriptorPage, "the program descriptor block", descriptor) &&
                      (!layout.map.present || ReadOnePage(devices, cmd, layout.map.firstPage,
                                                          "the first page of the map area", deviceRandomBlock.data()));
    if (!read) {
        result.failure = devices.Failure();
        return result;
    }
    uint32_t lengths[3];
    uint32_t sums[3];
    ExpectedAreaValues(package.data.get(), package.length, header, deviceRandomBlock, lengths, sums);
    result.reading = ReadControlBlocks(checkCode, descriptor, lengths, sums);
    if (result.reading->held != HeldPackage::ThisPackage)
        return result;

    // As the update sends them: main and voice straight from the payload,
    // the map as its image made with the device's block.
    const std::vector<uint8_t> mapImage =
        ExpectedMapImage(package.data.get(), package.length, header, deviceRandomBlock);
    const struct {
        const AreaLayout& area;
        uint32_t offset;  // in the payload; the map's pages come from its image
        const char* name;
    } areas[3] = {{layout.main, header.mainOffset, "main program area"},
                  {layout.voice, header.voiceOffset, "voice area"},
                  {layout.map, 0, "map area"}};
    std::array<bool, 3> agree{true, true, true};
    for (int i = 0; i < 3; ++i) {
        if (!areas[i].area.present)
            continue;
        const uint8_t* sent = areas[i].area.number == 1 ? mapImage.data() : package.data.get() + areas[i].offset;
        const std::optional<bool> ends =
            sent ? AreaEndsAre(devices, cmd, areas[i].area, sent, areas[i].name) : std::optional(false);
        if (!ends) {
            result.reading.reset();
            result.failure = devices.Failure();
            return result;
        }
        agree[i] = *ends;
    }
    result.areaEndsAgree = agree;
    return result;
}
