// The command operations of a device set: each opens every attached device,
// carries out one command on device 0, 1, ... in turn, stops at the first
// device that fails, records where and why, and closes them again.

#include <algorithm>
#include <cstring>
#include <limits>

#include "hid/DeviceIdentity.h"
#include "hid/DeviceSet.h"
#include "hid/HidCmd.h"
#include "hid/Protocol.h"
#include "platform/Diagnostics.h"
#include "platform/FlashGeometry.h"

namespace {

void PrintOpenSuccess(DiagnosticsSink& log)
{
    DiagPrintf(log, "USB HID Device VID[%04x] PID[%04x] Open Success.\n", kDeviceVendorId, kDeviceProductId);
}

// Sends `length` bytes in data reports, advancing by what each report
// carried; on failure *failedAt is the offset of the report that failed.
bool SendDataBytes(CHidCmd& cmd, const uint8_t* data, uint32_t length, int device, uint32_t* failedAt)
{
    uint32_t sent = 0;
    while (sent < length) {
        uint32_t payload = 0;
        if (!cmd.SendData(data + sent, length - sent, &payload, device, kTransferTimeoutMs)) {
            *failedAt = sent;
            return false;
        }
        sent += std::min(payload, length - sent);
    }
    return true;
}

// Sends one command with no data to every device; 0 on success or with no
// device, 1 when a device fails.
int SendBareCommand(DeviceSet& devices, uint8_t baseCode, uint32_t arg1, uint32_t arg2, const char* operation,
                    const char* step)
{
    CHidCmd cmd(devices);
    int count = cmd.OpenDevice();
    if (count > 0 && !devices.HoldsCount(count, operation))
        return 1;
    for (int device = 0; device < count; ++device) {
        if (!cmd.SendCommand(baseCode, arg1, arg2, device, kTransferTimeoutMs)) {
            devices.RecordTransferFailure(cmd, device, operation, step, false, kTransferTimeoutMs);
            return 1;
        }
    }
    return 0;
}

bool IsSpace(uint8_t c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The decimal number at the start of `text`: optional white space and sign,
// then digits up to the first non-digit; none read as 0. Saturates instead
// of overflowing.
long ParseVersionNumber(const uint8_t* text, size_t length)
{
    size_t i = 0;
    while (i < length && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long value = 0;
    constexpr long kLimit = std::numeric_limits<long>::max() / 10 - 9;
    for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value < kLimit)
            value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

} // namespace

uint32_t EraseHandshakeTimeoutMs(uint32_t sectors)
{
    uint64_t bound = uint64_t(kTransferTimeoutMs) + uint64_t(kEraseTimeoutPerSectorMs) * sectors;
    return static_cast<uint32_t>(std::min<uint64_t>(bound, std::numeric_limits<uint32_t>::max()));
}

int DeviceSet::WritePages(const uint8_t* source, uint32_t firstPage, uint32_t pageCount)
{
    const std::string operation = "write of " + RangeText("page", firstPage, pageCount);
    // Pages the device does not have would also overflow the byte count.
    if (firstPage >= kPageCount || pageCount > kPageCount - firstPage) {
        DiagPrintf(m_log, "ERROR: Pages %u + %u lie outside the flash!\n", firstPage, pageCount);
        m_failure = DeviceFailure{operation, -1, "", FailureCause::OutsideFlash, "outside the flash"};
        return 0;
    }
    const uint32_t length = pageCount * kPageSize;

    CHidCmd cmd(*this);
    int count = cmd.OpenDevice();
    if (count == 0)
        DiagPrintf(m_log, "Can't Open HID Device\n");
    if (!HoldsCount(count, operation))
        return 0;
    for (int device = 0; device < count; ++device) {
        PrintOpenSuccess(m_log);
        DiagPrintf(m_log, ">>> Write pages: %d - %d\n", int(firstPage), int(firstPage + pageCount) - 1);
        if (!cmd.SendCommand(HID_CMD_WRITE, firstPage, pageCount, device, kTransferTimeoutMs)) {
            DiagPrintf(m_log, "ERROR: Send write command error!\n");
            RecordTransferFailure(cmd, device, operation, "the write command", false, kTransferTimeoutMs);
            return 0;
        }
        uint32_t failedAt = 0;
        if (!SendDataBytes(cmd, source, length, device, &failedAt)) {
            DiagPrintf(m_log, "ERROR: Write fail!\n");
            RecordTransferFailure(cmd, device, operation,
                                  "the data for page " + std::to_string(firstPage + failedAt / kPageSize), false,
                                  kTransferTimeoutMs);
            return 0;
        }
    }
    return int(length);
}

int DeviceSet::EraseSectors(uint32_t firstSector, uint32_t sectorCount)
{
    const std::string operation = "erase of " + RangeText("sector", firstSector, sectorCount);
    if (firstSector >= kSectorCount || sectorCount > kSectorCount - firstSector) {
        DiagPrintf(m_log, "ERROR: Sectors %u + %u lie outside the flash!\n", firstSector, sectorCount);
        m_failure = DeviceFailure{operation, -1, "", FailureCause::OutsideFlash, "outside the flash"};
        return 0;
    }
    CHidCmd cmd(*this);
    int count = cmd.OpenDevice();
    if (!HoldsCount(count, operation))
        return 0;
    for (int device = 0; device < count; ++device) {
        if (!cmd.SendCommand(HID_CMD_ERASE, firstSector, sectorCount, device, kTransferTimeoutMs)) {
            RecordTransferFailure(cmd, device, operation, "the erase command", false, kTransferTimeoutMs);
            return 0;
        }
        // The device answers this read only once the erase is done: it is the
        // erase's completion handshake, and its page is thrown away.
        if (!cmd.SendCommand(HID_CMD_READ, kDescriptorPage, 1, device, kTransferTimeoutMs)) {
            RecordTransferFailure(cmd, device, operation, "the handshake read command", false, kTransferTimeoutMs);
            return 0;
        }
        uint32_t received = 0;
        uint32_t timeoutMs = EraseHandshakeTimeoutMs(sectorCount);
        while (received < kPageSize) {
            uint32_t payload = 0;
            if (!cmd.ReadData(&payload, device, timeoutMs)) {
                RecordTransferFailure(cmd, device, operation, "the handshake read", true, timeoutMs);
                return 0;
            }
            received += payload;
            timeoutMs = kTransferTimeoutMs;
        }
    }
    return int(sectorCount);
}

int DeviceSet::WriteAreaInfo(uint16_t mainSector, uint16_t voiceSector, uint16_t mapSector)
{
    uint8_t table[kAreaTableSize];
    std::memset(table, 0xFF, sizeof table);
    StoreLe16(table + 0, mainSector);
    StoreLe16(table + 2, voiceSector);
    StoreLe16(table + 4, mapSector);

    CHidCmd cmd(*this);
    int count = cmd.OpenDevice();
    if (count > 0 && !HoldsCount(count, "area table"))
        return 1;
    for (int device = 0; device < count; ++device) {
        if (!cmd.SendCommand(HID_CMD_AREA_INFO, kAreaInfoPage, 1, device, kTransferTimeoutMs)) {
            RecordTransferFailure(cmd, device, "area table", "the area-table command", false, kTransferTimeoutMs);
            return 1;
        }
        uint32_t failedAt = 0;
        if (!SendDataBytes(cmd, table, sizeof table, device, &failedAt)) {
            RecordTransferFailure(cmd, device, "area table", "the table's data", false, kTransferTimeoutMs);
            return 1;
        }
    }
    return 0;
}

int DeviceSet::SendReset()
{
    return SendBareCommand(*this, HID_CMD_RESET, kEndResetArg1, kEndResetArg2, "reset", "the reset command");
}

int DeviceSet::SendEnd()
{
    return SendBareCommand(*this, HID_CMD_END, kEndResetArg1, kEndResetArg2, "end of the update", "the end command");
}

int ClassifyBootloaderAnswer(const uint8_t* answer, size_t length, int verdict)
{
    if (length == 0)
        return verdict;
    if (answer[0] == 'A')
        return ParseVersionNumber(answer + 1, length - 1) < kMinimumBootloaderVersion ? kBootloaderVerdictTooOld
                                                                                       : kBootloaderVerdictCurrent;
    if (answer[0] == 'B')
        return kBootloaderVerdictCurrent;
    return verdict;
}

int DeviceSet::CheckBootloaderVersion(int* verdict)
{
    *verdict = kBootloaderVerdictUnknown;
    uint8_t answer[kBootloaderVersionAnswerSize];
    std::memset(answer, 0xFF, sizeof answer);

    CHidCmd cmd(*this);
    int count = cmd.OpenDevice();
    if (count == 0)
        DiagPrintf(m_log, "Can't Open HID Device\n");
    if (!HoldsCount(count, "boot-loader version query"))
        return 0;
    PrintOpenSuccess(m_log);
    int result = 0;
    for (int device = 0; device < count; ++device) {
        if (!cmd.SendCommand(HID_CMD_VERSION, kVersionPage, 1, device, kTransferTimeoutMs)) {
            DiagPrintf(m_log, "ERROR: Send Read Version command error!\n");
            RecordTransferFailure(cmd, device, "boot-loader version query", "the version command", false,
                                  kTransferTimeoutMs);
            break;
        }
        uint32_t payload = 0;
        if (!cmd.ReadData(&payload, device, kTransferTimeoutMs)) {
            DiagPrintf(m_log, "ERROR: Read Version fail!\n");
            RecordTransferFailure(cmd, device, "boot-loader version query", "the version query", true,
                                  kTransferTimeoutMs);
            break;
        }
        std::memcpy(answer, cmd.Payload(), sizeof answer);
        *verdict = ClassifyBootloaderAnswer(answer, sizeof answer, *verdict);
        result = kBootloaderVersionAnswerSize;

        DiagPrintf(m_log, "String code\n");
        for (int j = 0; j < kBootloaderVersionAnswerSize; ++j)
            DiagPrintf(m_log, "pReadBuf[%d]=%c\n", j, answer[j]);
        DiagPrintf(m_log, "Hex code\n");
        for (int j = 0; j < kBootloaderVersionAnswerSize; ++j)
            DiagPrintf(m_log, "pReadBuf[%d]=0x%x\n", j, unsigned(answer[j]));
    }
    return result;
}
