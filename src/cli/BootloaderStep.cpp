#include "cli/BootloaderStep.h"

#include "bootloader/BootloaderRefresh.h"
#include "engine/ProgressPage.h"

int CheckBootloader(ProgressPage& page, DeviceSet& devices, const std::string& imagePath)
{
    page.EnterPhase(UpdatePhase::BootloaderCheck);
    return UpdateBootloader(devices, imagePath, [&page] { page.EnterPhase(UpdatePhase::BootloaderRefresh); });
}
