#include "bootloader/BootloaderReadBack.h"

#include "hid/HidCmd.h"
#include "hid/PageReadBack.h"
#include "platform/FlashGeometry.h"

ReadBackResult ReadBackBootloader(const uint8_t* image, uint32_t pageCount)
{
    ReadBackResult result;
    CHidCmd cmd;
    const int count = cmd.OpenDevice();
    if (count == 0)
        return result;
    for (int device = 0; device < count; ++device) {
        result.device = device;
        const PageComparison read = ReadBackPages(cmd, device, image, 0, pageCount);
        result.answered = read.answered;
        if (!read.matches) {
            if (read.answered)
                result.page = read.offset / kPageSize;
            return result;
        }
    }
    result.matches = true;
    return result;
}
