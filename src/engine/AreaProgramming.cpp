#include "engine/AreaProgramming.h"

#include <string>

#include "engine/AreaValues.h"
#include "engine/EngineTexts.h"
#include "engine/PageVerifier.h"
#include "engine/PageWriter.h"
#include "engine/ProgressPage.h"
#include "engine/ProgressState.h"
#include "hid/HidCommands.h"
#include "hid/Presence.h"
#include "package/AreaLayout.h"
#include "package/Package.h"
#include "package/PackageChecks.h"
#include "package/PackageMessages.h"
#include "platform/FlashGeometry.h"
#include "platform/Services.h"

namespace {

constexpr uint32_t kStepBytes = 1024;
constexpr uint32_t kFixedEstimateSteps = 125;
constexpr uint32_t kWriteMsPerStep = 32;
constexpr uint32_t kEraseMsPerSector = 34;
constexpr uint16_t kAbsentSector = 0xFFFF;

int Fail(const std::string& message)
{
    GetPrompter().ShowMessage(message);
    return -1;
}

uint32_t DeviceCount()
{
    return CurrentDeviceState().m_deviceCount > 0 ? static_cast<uint32_t>(CurrentDeviceState().m_deviceCount) : 0;
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
bool MapImageHoldsItsPages(const AreaLayout& map)
{
    return CurrentPackage().m_mapImage && uint64_t(map.pageCount) * kPageSize <= CurrentPackage().m_mapImageCapacity;
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

int ProgramArea(ProgressPage& page, const AreaLayout& area, const uint8_t* data)
{
    page.EnterPhase(PhaseOf(area));
    page.m_nPos = ProgressPercent();
    page.SetAreaText(AreaLabel(CurrentDeviceState().m_deviceCount, area.number));
    page.SetStatusText(std::string(kStatusPrefix) + EraseEstimateText(page.m_nRemainMs));
    page.PostProgressUpdate();

    if (EraseSectors(area.firstSector, area.sectorCount) == 0)
        return Fail(AreaEraseFailedMessage(area.number));

    const uint64_t eraseMs = uint64_t(area.sectorCount) * DeviceCount() * kEraseMsPerSector;
    page.m_nRemainMs = page.m_nRemainMs < eraseMs ? 0 : static_cast<uint32_t>(page.m_nRemainMs - eraseMs);

    if (WritePagesWithProgress(page, data, area.firstPage, area.pageCount) == 0)
        return Fail(AreaWriteFailedMessage(area.number));
    if (CurrentProgress().m_verify &&
        !VerifyPagesWithProgress(page, data, area.firstPage, area.pageCount, AreaName(area.number).c_str()))
        return Fail(AreaWriteFailedMessage(area.number));
    return 0;
}

}  // namespace

int ProgramAreas(ProgressPage& page, uint32_t areaLengths[3], uint32_t areaSums[3])
{
    CurrentProgress().m_progressCount = 0;
    CurrentProgress().m_progressTotal = 0;

    const std::string failure = CheckLoadedPackage();
    if (!failure.empty())
        return Fail(failure);

    const PackageHeader& header = CurrentPackage().m_packageHeader;
    const PackageLayout layout = LayoutOf(header);
    if (layout.map.present && !MapImageHoldsItsPages(layout.map))
        return Fail(kMsgMapSizeBad);

    const uint32_t dataSteps = (CurrentPackage().m_packageLength - kPackageHeaderSize) / kStepBytes;
    CurrentProgress().m_progressTotal = dataSteps * DeviceCount();
    const uint32_t n = CurrentProgress().m_progressTotal;
    page.m_nRemainMs = (n + kFixedEstimateSteps) * kWriteMsPerStep + (n / 4) * kEraseMsPerSector;
    if (CurrentProgress().m_verify)
        page.m_nRemainMs += n * kReadMsPerStep;

    ComputeAreaValues(CurrentPackage().m_packageData.get(), CurrentPackage().m_packageLength, header, CurrentPackage().m_mapImage.get(), CurrentPackage().m_mapImageCapacity,
                      areaLengths, areaSums);

    // The map image is 256 bytes longer than the map data it carries.
    if (layout.map.present)
        CurrentProgress().m_progressTotal = (CurrentPackage().m_packageLength - kPackageHeaderSize + kMapRandomBlockSize) / kStepBytes * DeviceCount();
    // Every step written is read back as well.
    if (CurrentProgress().m_verify)
        CurrentProgress().m_progressTotal *= 2;

    page.EnterPhase(UpdatePhase::AreaTable);
    if (WriteAreaInfo(StartSector(layout.main), StartSector(layout.voice), StartSector(layout.map)) != 0)
        return -1;

    CurrentProgress().m_basePercent = BasePercent(layout);

    if (layout.map.present && ProgramArea(page, layout.map, CurrentPackage().m_mapImage.get()) != 0)
        return -1;
    if (layout.voice.present && ProgramArea(page, layout.voice, CurrentPackage().m_packageData.get() + header.voiceOffset) != 0)
        return -1;
    if (ProgramArea(page, layout.main, CurrentPackage().m_packageData.get() + header.mainOffset) != 0)
        return -1;
    return 0;
}
