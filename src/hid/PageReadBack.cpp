#include "hid/PageReadBack.h"

#include <algorithm>

#include "hid/HidCmd.h"
#include "hid/DeviceSet.h"
#include "hid/Protocol.h"
#include "platform/FlashGeometry.h"

PageComparison ReadBackPages(CHidCmd& cmd, int device, const uint8_t* expected, uint32_t firstPage,
                             uint32_t pageCount, const std::function<void(uint32_t)>& onReceived)
{
    PageComparison result;
    if (!cmd.SendCommand(HID_CMD_READ, firstPage, pageCount, device, kTransferTimeoutMs))
        return result;
    result.sent = true;
    const uint32_t length = pageCount * kPageSize;
    uint32_t received = 0;
    while (received < length) {
        uint32_t payload = 0;
        if (!cmd.ReadData(&payload, device, kTransferTimeoutMs)) {
            result.offset = received;
            return result;
        }
        const uint32_t take = std::min(payload, length - received);
        const uint8_t* got = cmd.Payload();
        const uint32_t differs = static_cast<uint32_t>(std::mismatch(got, got + take, expected + received).first - got);
        if (differs < take) {
            result.answered = true;
            result.offset = received + differs;
            return result;
        }
        received += take;
        if (onReceived)
            onReceived(received);
    }
    result.answered = true;
    result.matches = true;
    return result;
}
