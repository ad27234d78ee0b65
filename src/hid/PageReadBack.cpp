#include "hid/PageReadBack.h"

#include <algorithm>
#include <cstring>

#include "hid/HidCmd.h"
#include "hid/DeviceSet.h"
#include "hid/Protocol.h"
#include "platform/FlashGeometry.h"

namespace {

// Hands each report's share of the pages to `take` (the bytes, and where they
// go from the first page on), which returns how many of them it accepts:
// fewer stops the read there, as a difference.
using TakeBytes = std::function<uint32_t(const uint8_t* bytes, uint32_t at, uint32_t count)>;

PageComparison ReadEachReport(CHidCmd& cmd, int device, uint32_t firstPage, uint32_t pageCount, const TakeBytes& take,
                              const std::function<void(uint32_t)>& onReceived)
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
        const uint32_t count = std::min(payload, length - received);
        const uint32_t taken = take(cmd.Payload(), received, count);
        if (taken < count) {
            result.answered = true;
            result.offset = received + taken;
            return result;
        }
        received += count;
        if (onReceived)
            onReceived(received);
    }
    result.answered = true;
    result.matches = true;
    return result;
}

}  // namespace

PageComparison ReadBackPages(CHidCmd& cmd, int device, const uint8_t* expected, uint32_t firstPage,
                             uint32_t pageCount, const std::function<void(uint32_t)>& onReceived)
{
    const auto compare = [expected](const uint8_t* got, uint32_t at, uint32_t count) {
        return static_cast<uint32_t>(std::mismatch(got, got + count, expected + at).first - got);
    };
    return ReadEachReport(cmd, device, firstPage, pageCount, compare, onReceived);
}

PageComparison ReadPages(CHidCmd& cmd, int device, uint32_t firstPage, uint32_t pageCount, uint8_t* pages)
{
    const auto copy = [pages](const uint8_t* got, uint32_t at, uint32_t count) {
        std::memcpy(pages + at, got, count);
        return count;
    };
    return ReadEachReport(cmd, device, firstPage, pageCount, copy, {});
}
