#include "hid/Protocol.h"

#include <algorithm>
#include <cstring>

uint32_t HidChecksum(const uint8_t* bytes, size_t length)
{
    uint32_t sum = 0;
    for (size_t i = 0; i < length; ++i)
        sum += bytes[i];
    return sum ^ 0x0416u;
}

void BuildCommandReport(const CommandPacket& packet, uint8_t report[kReportSize])
{
    std::memset(report, kReportFiller, kReportSize);
    report[0] = kReportId;
    uint8_t* p = report + 1;
    p[kPacketCodeOffset] = packet.code;
    p[kPacketLengthOffset] = kPacketHeaderLength;
    StoreLe32(p + kPacketArg1Offset, packet.arg1);
    StoreLe32(p + kPacketArg2Offset, packet.arg2);
    StoreLe32(p + kPacketSignatureOffset, HID_CMD_SIGNATURE);
    StoreLe32(p + kPacketChecksumOffset, HidChecksum(p, kPacketHeaderLength));
}

bool ParseCommandReport(const uint8_t report[kReportSize], CommandPacket* packet)
{
    const uint8_t* p = report + 1;
    if (p[kPacketLengthOffset] != kPacketHeaderLength)
        return false;
    if (LoadLe32(p + kPacketSignatureOffset) != HID_CMD_SIGNATURE)
        return false;
    if (LoadLe32(p + kPacketChecksumOffset) != HidChecksum(p, kPacketHeaderLength))
        return false;
    packet->code = p[kPacketCodeOffset];
    packet->arg1 = LoadLe32(p + kPacketArg1Offset);
    packet->arg2 = LoadLe32(p + kPacketArg2Offset);
    return true;
}

void BuildDataReport(const uint8_t* data, size_t length, uint8_t report[kReportSize])
{
    std::memset(report, kReportFiller, kReportSize);
    report[0] = kReportId;
    std::memcpy(report + 1, data, std::min(length, kReportPayloadSize));
}
