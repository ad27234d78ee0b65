// Byte layout of command reports, and the pure rules of the command layer.

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "hid/DeviceSet.h"
#include "hid/Protocol.h"
#include "platform/Clock.h"
#include "platform/Diagnostics.h"
#include "platform/HidBackend.h"

namespace {

// A device set over no devices: its command set is all these tests need.
struct CommandSetOnly {
    NoHidBackend backend;
    VirtualClock clock;
    NullDiagnostics log;
    DeviceSet devices{backend, clock, log};
};

std::vector<uint8_t> CommandReport(const DeviceSet& devices, uint8_t baseCode, uint32_t arg1, uint32_t arg2)
{
    CommandPacket packet;
    packet.code = devices.CommandCode(baseCode);
    packet.arg1 = arg1;
    packet.arg2 = arg2;
    std::vector<uint8_t> report(kReportSize, 0x00);
    BuildCommandReport(packet, report.data());
    return report;
}

std::vector<uint8_t> Expected(std::vector<uint8_t> head)
{
    head.resize(kReportSize, 0xCC);
    return head;
}

struct ReportCase {
    const char* name;
    int deviceSpecific;
    uint8_t baseCode;
    std::vector<uint8_t> head;  // bytes 0..18; the rest is 0xCC
};

TEST(CommandReport, MatchesKnownByteTables)
{
    const ReportCase cases[] = {
        {"page read of page 128, base codes", 0, HID_CMD_READ,
         {0x00, 0xA2, 0x0E, 0x80, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x66, 0x77, 0x01, 0x86, 0x83, 0x06, 0x00,
          0x00}},
        {"page read of page 128, shifted codes", 1, HID_CMD_READ,
         {0x00, 0xE2, 0x0E, 0x80, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x66, 0x77, 0x01, 0x86, 0xC3, 0x06, 0x00,
          0x00}},
        {"version keeps 0xA7 under base codes", 0, HID_CMD_VERSION,
         {0x00, 0xA7, 0x0E, 0x80, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x66, 0x77, 0x01, 0x86, 0x8C, 0x06, 0x00,
          0x00}},
        {"version keeps 0xA7 under shifted codes", 1, HID_CMD_VERSION,
         {0x00, 0xA7, 0x0E, 0x80, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x66, 0x77, 0x01, 0x86, 0x8C, 0x06, 0x00,
          0x00}},
    };
    CommandSetOnly set;
    for (const ReportCase& c : cases) {
        SCOPED_TRACE(c.name);
        set.devices.SelectCommandSet(c.deviceSpecific);
        EXPECT_EQ(CommandReport(set.devices, c.baseCode, 128, 1), Expected(c.head));
    }
}

TEST(CommandReport, ShiftedCodesCoverTheSixOffsetCommands)
{
    CommandSetOnly set;
    const uint8_t bases[] = {HID_CMD_ERASE, HID_CMD_READ,  HID_CMD_WRITE,
                             HID_CMD_END,   HID_CMD_RESET, HID_CMD_AREA_INFO};
    for (uint8_t base : bases) {
        set.devices.SelectCommandSet(0);
        EXPECT_EQ(set.devices.CommandCode(base), base);
        set.devices.SelectCommandSet(1);
        EXPECT_EQ(set.devices.CommandCode(base), uint8_t(base + 0x40));
    }
}

TEST(CommandReport, ParseAcceptsOnlyIntactPackets)
{
    CommandPacket sent;
    sent.code = HID_CMD_END;
    sent.arg1 = kEndResetArg1;
    sent.arg2 = kEndResetArg2;
    uint8_t good[kReportSize];
    BuildCommandReport(sent, good);

    CommandPacket parsed;
    ASSERT_TRUE(ParseCommandReport(good, &parsed));
    EXPECT_EQ(parsed.code, sent.code);
    EXPECT_EQ(parsed.arg1, sent.arg1);
    EXPECT_EQ(parsed.arg2, sent.arg2);

    struct Damage {
        const char* name;
        size_t reportByte;
    };
    const Damage damages[] = {
        {"header length", 1 + kPacketLengthOffset},
        {"argument covered by the checksum", 1 + kPacketArg1Offset + 3},
        {"signature", 1 + kPacketSignatureOffset},
        {"checksum", 1 + kPacketChecksumOffset},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.name);
        uint8_t bad[kReportSize];
        std::memcpy(bad, good, sizeof bad);
        bad[d.reportByte] ^= 0x01;
        EXPECT_FALSE(ParseCommandReport(bad, &parsed));
    }
}

TEST(BootloaderAnswer, VerdictTable)
{
    struct Case {
        const char* answer;
        int before;
        int verdict;
    };
    const Case cases[] = {
        {"A107", 0, 2},
        {"A108", 0, 1},
        {"A1000", 0, 1},
        {"B", 0, 1},
        {"B050", 2, 1},
        {"X", 0, 0},
        {"X", 2, 2},             // an unrecognised answer keeps the last verdict
        {"a107", 0, 0},          // the kind letter is case-sensitive
        {"A 107", 0, 2},         // white space before the number
        {"A\t+108", 0, 1},       // and a sign
        {"A-200", 0, 2},         // negative numbers are below 108
        {"A", 0, 2},             // no digits read as 0
        {"A1x09", 0, 2},         // digits end at the first non-digit
        {"A99999999999999999999999999", 0, 1},  // too long to fit: still not old
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        uint8_t answer[kBootloaderVersionAnswerSize];
        std::memset(answer, 0xFF, sizeof answer);
        std::memcpy(answer, c.answer, std::strlen(c.answer));
        EXPECT_EQ(ClassifyBootloaderAnswer(answer, sizeof answer, c.before), c.verdict);
    }
}

TEST(BootloaderAnswer, NumberStopsAtTheAnswerEnd)
{
    // A text of digits right up to the last byte, no terminator after it.
    uint8_t answer[kBootloaderVersionAnswerSize];
    std::memset(answer, '0', sizeof answer);
    answer[0] = 'A';
    answer[sizeof answer - 1] = '7';
    EXPECT_EQ(ClassifyBootloaderAnswer(answer, sizeof answer, 0), 2);
}

TEST(TransferBounds, EraseHandshakeGrowsWithTheErase)
{
    EXPECT_EQ(kTransferTimeoutMs, 5000u);
    EXPECT_EQ(EraseHandshakeTimeoutMs(0), 5000u);
    EXPECT_EQ(EraseHandshakeTimeoutMs(1), 5500u);
    EXPECT_EQ(EraseHandshakeTimeoutMs(2048), 5000u + 2048u * 500u);
    // Never wraps round to a short bound.
    EXPECT_EQ(EraseHandshakeTimeoutMs(std::numeric_limits<uint32_t>::max()), std::numeric_limits<uint32_t>::max());
}

} // namespace
