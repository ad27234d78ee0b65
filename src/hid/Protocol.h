#pragma once
// The command protocol's wire format: report and packet layout, command
// codes, checksum. Pure functions; the operations that move reports live in
// HidCommands.h.

#include <cstddef>
#include <cstdint>

#include "hid/ReportSize.h"
#include "platform/ByteOrder.h"

inline constexpr uint32_t HID_CMD_SIGNATURE = 0x86017766u;

// Base codes; the first six are shifted by the command set (CommandSet.h).
inline constexpr uint8_t HID_CMD_ERASE = 0xA1;
inline constexpr uint8_t HID_CMD_READ = 0xA2;
inline constexpr uint8_t HID_CMD_WRITE = 0xA3;
inline constexpr uint8_t HID_CMD_END = 0xA4;
inline constexpr uint8_t HID_CMD_RESET = 0xA5;
inline constexpr uint8_t HID_CMD_AREA_INFO = 0xA6;
inline constexpr uint8_t HID_CMD_VERSION = 0xA7;  // the same in both sets

// Arguments of the commands whose arguments are fixed.
inline constexpr uint32_t kEndResetArg1 = 0x12345678u;
inline constexpr uint32_t kEndResetArg2 = 0xABCDEF01u;
inline constexpr uint32_t kAreaInfoPage = 128;
inline constexpr uint32_t kVersionPage = 128;

// Command packet, at report byte 1.
inline constexpr size_t kPacketSize = 18;
inline constexpr uint8_t kPacketHeaderLength = 14;  // bytes the checksum covers
inline constexpr size_t kPacketCodeOffset = 0;
inline constexpr size_t kPacketLengthOffset = 1;
inline constexpr size_t kPacketArg1Offset = 2;
inline constexpr size_t kPacketArg2Offset = 6;
inline constexpr size_t kPacketSignatureOffset = 10;
inline constexpr size_t kPacketChecksumOffset = 14;

inline constexpr uint8_t kReportId = 0;
inline constexpr uint8_t kReportFiller = 0xCC;
inline constexpr size_t kAreaTableSize = 256;

struct CommandPacket {
    uint8_t code = 0;
    uint32_t arg1 = 0;
    uint32_t arg2 = 0;
};

// Unsigned byte sum XOR 0x0416.
uint32_t HidChecksum(const uint8_t* bytes, size_t length);

// Fills a 65-byte command report: 0xCC filler, report ID 0, the packet with
// `code` exactly as given, header length, arguments, signature and checksum.
void BuildCommandReport(const CommandPacket& packet, uint8_t report[kReportSize]);

// Reads a command report back; false when the header length, the signature
// or the checksum is wrong.
bool ParseCommandReport(const uint8_t report[kReportSize], CommandPacket* packet);

// Fills a 65-byte data report: report ID 0, then up to 64 bytes from `data`
// (`length` of them; a shorter tail is followed by filler).
void BuildDataReport(const uint8_t* data, size_t length, uint8_t report[kReportSize]);

