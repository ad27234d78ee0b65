#include "bootloader/BootloaderReadBack.h"

#include <string>

#include "hid/DeviceSet.h"
#include "hid/HidCmd.h"
#include "hid/PageReadBack.h"
#include "platform/FlashGeometry.h"

ReadBackResult ReadBackBootloader(DeviceSet& devices, const uint8_t* image, uint32_t pageCount)
{
    const std::string operation = "read-back of the boot loader";
    ReadBackResult result;
    CHidCmd cmd(devices);
    const int count = cmd.OpenDevice();
    if (!devices.HoldsCount(count, operation))
        return result;
    for (int device = 0; device < count; ++device) {
        result.device = device;
        const PageComparison read = ReadBackPages(cmd, device, image, 0, pageCount);
        result.answered = read.answered;
        if (!read.matches) {
            if (read.answered) {
                result.page = read.offset / kPageSize;
                devices.RecordFailure(DeviceFailure{operation, device, cmd.Location(device), FailureCause::Differs,
                                                    "differs from the image at page " + std::to_string(result.page)});
            } else if (!read.sent) {
                devices.RecordTransferFailure(cmd, device, operation, "the read command", false, kTransferTimeoutMs);
            } else {
                devices.RecordTransferFailure(cmd, device, operation,
                                              "the read from page " + std::to_string(read.offset / kPageSize), true,
                                              kTransferTimeoutMs);
            }
            return result;
        }
    }
    result.matches = true;
    return result;
}
