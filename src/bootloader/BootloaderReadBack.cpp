#include "bootloader/BootloaderReadBack.h"

#include <algorithm>
#include <cstring>

#include "hid/HidCmd.h"
#include "hid/HidCommands.h"
#include "hid/Protocol.h"
#include "platform/FlashGeometry.h"

namespace {

// Index of the first byte that differs, or `length` when none does.
uint32_t FirstDifference(const uint8_t* a, const uint8_t* b, uint32_t length)
{
    return static_cast<uint32_t>(std::mismatch(a, a + length, b).first - a);
}

} // namespace

ReadBackResult ReadBackBootloader(const uint8_t* image, uint32_t pageCount)
{
    ReadBackResult result;
    CHidCmd cmd;
    const int count = cmd.OpenDevice();
    if (count == 0)
        return result;
    const uint32_t length = pageCount * kPageSize;
    for (int device = 0; device < count; ++device) {
        result.device = device;
        result.answered = false;
        if (!cmd.SendCommand(HID_CMD_READ, 0, pageCount, device, kTransferTimeoutMs))
            return result;
        uint32_t received = 0;
        while (received < length) {
            uint32_t payload = 0;
            if (!cmd.ReadData(&payload, device, kTransferTimeoutMs))
                return result;
            const uint32_t take = std::min(payload, length - received);
            const uint32_t differs = FirstDifference(cmd.Payload(), image + received, take);
            if (differs < take) {
                // The rest of the answer is dropped when the devices are closed.
                result.answered = true;
                result.page = (received + differs) / kPageSize;
                return result;
            }
            received += take;
        }
    }
    result.matches = true;
    return result;
}
