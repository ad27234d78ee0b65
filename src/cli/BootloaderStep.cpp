#include "cli/BootloaderStep.h"

#include "bootloader/BootloaderRefresh.h"
#include "engine/ProgressPage.h"
#include "engine/UpdateJob.h"

int CheckBootloader(UpdateJob& job, ProgressPage& page, const std::string& imagePath)
{
    EnterPhase(job.progress, page, UpdatePhase::BootloaderCheck);
    return UpdateBootloader(job.devices, imagePath,
                            [&] { EnterPhase(job.progress, page, UpdatePhase::BootloaderRefresh); });
}
