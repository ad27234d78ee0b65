// A stream of host reports into the simulated firmware. It must never crash,
// touch memory outside its flash, or set bits of a programmed page without an
// erase in between.
//
// Input: release number (2 bytes), then records, each an operation byte and
// its operands:
//   0, 1  command report built from a code selector, arg1, arg2 (valid
//         checksum and signature, so the fuzzer reaches the command handlers)
//   2     data report: 64 payload bytes
//   3     raw report: 65 bytes, report ID included
//   4     read up to N answers
//   5     host closes the device (unread answers dropped); reboot if asked to
//   6     read flash at an offset and compare with byte-wise reads
//   7     take the erased-sector count

#include <array>
#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "hid/Protocol.h"
#include "sim/SimFirmware.h"

namespace {

constexpr uint8_t kKnownCodes[] = {0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7,
                                   0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6};
constexpr size_t kMaxRecords = 4096;
constexpr size_t kMaxWatchedPages = 8;

uint8_t CodeFrom(uint8_t selector)
{
    // Most selectors name a real command; the rest go through as raw codes.
    return selector < 0xC0 ? kKnownCodes[selector % sizeof kKnownCodes] : selector;
}

// A page whose contents were seen; until the next erase, programming may
// only clear its bits.
struct WatchedPage {
    uint32_t offset = 0;
    std::array<uint8_t, kPageSize> bytes{};
};

class PageWatch {
public:
    void Add(const SimFirmware& firmware, uint32_t page)
    {
        if (page >= kPageCount || m_pages.size() >= kMaxWatchedPages)
            return;
        WatchedPage watched;
        watched.offset = page * kPageSize;
        firmware.ReadFlash(watched.offset, watched.bytes.data(), kPageSize);
        m_pages.push_back(watched);
    }

    void Check(const SimFirmware& firmware)
    {
        const bool erased = firmware.EraseCount() != m_eraseCount;
        m_eraseCount = firmware.EraseCount();
        for (WatchedPage& page : m_pages) {
            std::array<uint8_t, kPageSize> now{};
            firmware.ReadFlash(page.offset, now.data(), kPageSize);
            if (!erased)
                for (size_t i = 0; i < kPageSize; ++i)
                    FUZZ_CHECK((now[i] & ~page.bytes[i]) == 0, "a bit was set in flash without an erase");
            page.bytes = now;
        }
    }

private:
    std::vector<WatchedPage> m_pages;
    int m_eraseCount = 0;
};

void SendCommand(SimFirmware& firmware, FuzzInput& input, PageWatch& watch)
{
    CommandPacket packet;
    packet.code = CodeFrom(input.Byte());
    packet.arg1 = input.Le32();
    packet.arg2 = input.Le32();
    uint8_t report[kReportSize];
    BuildCommandReport(packet, report);
    if (packet.code == static_cast<uint8_t>(HID_CMD_WRITE + firmware.CodeOffset()))
        watch.Add(firmware, packet.arg1);
    const size_t faultsBefore = firmware.Faults().size();
    const int erasesBefore = firmware.EraseCount();
    firmware.OnHostReport(report);
    // An erase that reaches past the window is clipped, and says so.
    if (firmware.EraseCount() != erasesBefore && uint64_t(packet.arg1) + packet.arg2 > kSectorCount)
        FUZZ_CHECK(firmware.Faults().size() > faultsBefore, "an erase past the window left no fault");
}

void SendPayload(SimFirmware& firmware, FuzzInput& input, bool withReportId)
{
    uint8_t report[kReportSize];
    std::memset(report, 0xCC, sizeof report);
    report[0] = withReportId ? input.Byte() : kReportId;
    size_t taken = 0;
    const uint8_t* bytes = input.Bytes(kReportPayloadSize, &taken);
    std::memcpy(report + 1, bytes, taken);
    firmware.OnHostReport(report);
}

void ReadAnswers(SimFirmware& firmware, uint8_t count)
{
    for (int i = 0; i < count; ++i) {
        uint8_t payload[SimFirmware::kPayloadSize];
        const bool pending = firmware.HasReportForHost();
        FUZZ_CHECK(firmware.PopReportForHost(payload) == pending, "an answer was popped that was not pending");
        if (!pending)
            return;
    }
}

void CompareFlashReads(const SimFirmware& firmware, FuzzInput& input)
{
    const uint32_t offset = input.Le32();
    uint8_t bytes[64];
    firmware.ReadFlash(offset, bytes, sizeof bytes);
    for (uint32_t i = 0; i < sizeof bytes; ++i) {
        const uint64_t at = uint64_t(offset) + i;
        const uint8_t expected = at < kFlashSize ? firmware.FlashByte(static_cast<uint32_t>(at)) : 0xFF;
        FUZZ_CHECK(bytes[i] == expected, "ReadFlash and FlashByte disagree");
    }
}

}  // namespace

int FuzzSimFirmware(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    SimFirmware firmware(input.Le16(), "A107");
    PageWatch watch;
    for (size_t record = 0; record < kMaxRecords && !input.Empty(); ++record) {
        switch (input.Byte() % 8) {
        case 0:
        case 1:
            SendCommand(firmware, input, watch);
            break;
        case 2:
            SendPayload(firmware, input, false);
            break;
        case 3:
            SendPayload(firmware, input, true);
            break;
        case 4:
            ReadAnswers(firmware, input.Byte());
            break;
        case 5:
            firmware.DropReportsForHost();
            if (firmware.ResetRequested())
                firmware.Reboot();
            FUZZ_CHECK(!firmware.HasReportForHost(), "an answer survived the host closing the device");
            break;
        case 6:
            CompareFlashReads(firmware, input);
            break;
        case 7:
            firmware.TakeErasedSectors();
            break;
        }
        watch.Check(firmware);
    }
    return 0;
}
