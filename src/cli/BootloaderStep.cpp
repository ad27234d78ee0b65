#include "cli/BootloaderStep.h"

#include "bootloader/BootloaderRefresh.h"
#include "engine/ProgressPage.h"

int CheckBootloader(ProgressPage& page)
{
    page.EnterPhase(UpdatePhase::BootloaderCheck);
    return UpdateBootloader([&page] { page.EnterPhase(UpdatePhase::BootloaderRefresh); });
}
