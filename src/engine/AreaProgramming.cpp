#include "engine/AreaProgramming.h"

#include <string>

#include "engine/AreaValues.h"
#include "texts/UserTexts.h"
#include "engine/PageVerifier.h"
#include "engine/PageWriter.h"
#include "engine/ProgressPage.h"
#include "engine/ProgressState.h"
#include "hid/DeviceSet.h"
#include "package/AreaLayout.h"
#include "package/Package.h"
#include "package/PackageChecks.h"
#include "texts/UserTexts.h"
#include "package/PackageParser.h"
#include "platform/Diagnostics.h"
#include "platform/FlashGeometry.h"

namespace {

constexpr uint32_t kStepBytes = 1024;
constexpr uint32_t kFixedEstimateSteps = 125;
constexpr uint32_t kWriteMsPerStep = 32;
constexpr uint32_t kEraseMsPerSector = 34;
constexpr uint16_t kAbsentSector = 0xFFFF;

// Shows the failure's message at once and keeps it as the run's.
int Fail(const DeviceSet& devices, ProgressState& progress, ProgressPage& page, const std::string& message)
{
    progress.m_failureMessage = message;
    page.ShowMessage(message, devices.Failure() ? &*devices.Failure() : nullptr);
    return -1;
}

uint32_t DeviceCount(const DeviceSet& devices)
{
    return devices.m_deviceCount > 0 ? static_cast<uint32_t>(devices.m_deviceCount) : 0;
}

uint16_t StartSector(const AreaLayout& area)
{
    return area.present ? static_cast<uint16_t>(area.firstSector) : kAbsentSector;
}

uint8_t BasePercent(const PackageLayout& layout)
{
    const int present = 1 + (layout.voice.present ? 1 : 0) + (layout.map.present ? 1 : 0);
    return static_cast<uint8_t>(40 - 10 * present);
}

// The pages written end with the page the map data's last byte lies in; the
// loader sizes the image for that page and fills its tail with 0xFF. Anything
// smaller is refused rather than read past.
bool MapImageHoldsItsPages(const LoadedPackage& package, const AreaLayout& map)
{
    return package.mapImage && uint64_t(map.pageCount) * kPageSize <= package.mapImageCapacity;
}

UpdatePhase PhaseOf(const AreaLayout& area)
{
    return area.number == 1 ? UpdatePhase::AreaMap : area.number == 2 ? UpdatePhase::AreaVoice : UpdatePhase::AreaMain;
}

// "area 1 (map)" and the like, for the log.
std::string AreaName(int number)
{
    static const char* const kNames[] = {"map", "voice", "main program"};
    const std::string area = "area " + std::to_string(number);
    return number >= 1 && number <= 3 ? area + " (" + kNames[number - 1] + ")" : area;
}

int ProgramArea(DeviceSet& devices, ProgressState& progress, ProgressPage& page, const AreaLayout& area,
                const uint8_t* data)
{
    EnterPhase(progress, page, PhaseOf(area));
    DiagPrintf(devices.Log(), "Programming %s: sectors %u-%u, pages %u-%u\n", AreaName(area.number).c_str(),
               area.firstSector, area.firstSector + area.sectorCount - 1, area.firstPage,
               area.firstPage + area.pageCount - 1);
    progress.m_nPos = ProgressPercent(progress);
    const uint32_t remainMs = ShownRemainMs(progress, devices.GetClock().TickCount());
    SetAreaText(progress, page, AreaLabel(devices.m_deviceCount, area.number));
    SetStatusText(progress, page, std::string(kStatusPrefix) + EraseEstimateText(remainMs), remainMs);
    PostProgressUpdate(progress, page, remainMs);

    if (devices.EraseSectors(area.firstSector, area.sectorCount) == 0)
        return Fail(devices, progress, page, AreaEraseFailedMessage(area.number));

    const uint64_t eraseMs = uint64_t(area.sectorCount) * DeviceCount(devices) * kEraseMsPerSector;
    progress.m_nRemainMs =
        progress.m_nRemainMs < eraseMs ? 0 : static_cast<uint32_t>(progress.m_nRemainMs - eraseMs);

    if (WritePagesWithProgress(devices, progress, page, data, area.firstPage, area.pageCount) == 0)
        return Fail(devices, progress, page, AreaWriteFailedMessage(area.number));
    if (progress.m_verify &&
        !VerifyPagesWithProgress(devices, progress, page, data, area.firstPage, area.pageCount, AreaName(area.number)))
        return Fail(devices, progress, page, AreaWriteFailedMessage(area.number));
    return 0;
}

}  // namespace

int ProgramAreas(DeviceSet& devices, const LoadedPackage& package, ProgressState& progress, ProgressPage& page,
                 uint32_t areaLengths[3], uint32_t areaSums[3])
{
    progress.m_progressCount = 0;
    progress.m_progressTotal = 0;

    const std::string failure = CheckPackage(package.data.get(), package.length, package.header);
    if (!failure.empty()) {
        DiagPrintf(devices.Log(), "ERROR: the package fails its checks: %s\n", failure.c_str());
        return Fail(devices, progress, page, failure);
    }

    const PackageHeader& header = package.header;
    const PackageLayout layout = LayoutOf(header);
    if (layout.map.present && !MapImageHoldsItsPages(package, layout.map)) {
        DiagPrintf(devices.Log(), "ERROR: the map image is smaller than the map's pages\n");
        return Fail(devices, progress, page, kMsgMapSizeBad);
    }

    const uint32_t dataSteps = (package.length - kPackageHeaderSize) / kStepBytes;
    progress.m_progressTotal = dataSteps * DeviceCount(devices);
    const uint32_t n = progress.m_progressTotal;
    progress.m_nRemainMs = (n + kFixedEstimateSteps) * kWriteMsPerStep + (n / 4) * kEraseMsPerSector;
    if (progress.m_verify)
        progress.m_nRemainMs += n * kReadMsPerStep;

    ComputeAreaValues(package.data.get(), package.length, header, package.mapImage.get(), package.mapImageCapacity,
                      areaLengths, areaSums);

    // The map image is 256 bytes longer than the map data it carries.
    if (layout.map.present)
        progress.m_progressTotal =
            (package.length - kPackageHeaderSize + kMapRandomBlockSize) / kStepBytes * DeviceCount(devices);
    // Every step written is read back as well.
    if (progress.m_verify)
        progress.m_progressTotal *= 2;

    EnterPhase(progress, page, UpdatePhase::AreaTable);
    if (devices.WriteAreaInfo(StartSector(layout.main), StartSector(layout.voice), StartSector(layout.map)) != 0)
        return -1;

    progress.m_basePercent = BasePercent(layout);
    // The measured estimate counts from here: the erases and writes to come.
    progress.m_programStartTick = devices.GetClock().TickCount();
    progress.m_programStarted = true;

    if (layout.map.present && ProgramArea(devices, progress, page, layout.map, package.mapImage.get()) != 0)
        return -1;
    if (layout.voice.present &&
        ProgramArea(devices, progress, page, layout.voice, package.data.get() + header.voiceOffset) != 0)
        return -1;
    if (ProgramArea(devices, progress, page, layout.main, package.data.get() + header.mainOffset) != 0)
        return -1;
    return 0;
}
