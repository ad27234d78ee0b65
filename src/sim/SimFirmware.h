#pragma once
// The device's firmware as a state machine with no I/O: it takes the host's
// reports, keeps the flash, and queues its answers. The simulated HID backend
// drives it, and so can a USB gadget program.
//
// Rules it keeps:
// - A command report must carry header length 14, the signature and a good
//   checksum; one that doesn't, or whose code belongs to the other command
//   set, or whose code is unknown, is ignored: no answer, no state change.
// - Release 0000 or 5512 takes the base codes 0xA1..0xA6, any other release
//   those codes + 0x40. VERSION is 0xA7 for both.
// - After WRITE and AREA_INFO every report is data until the announced bytes
//   (pages x 256, or 256) have arrived, whatever it looks like.
// - Programming can only clear bits, so a page is programmed only when all of
//   its target bytes are 0xFF; otherwise the page is left as it was and a
//   fault is recorded. Pages outside the window are dropped with a fault.
// - ERASE sets whole sectors to 0xFF; sectors outside the window are skipped
//   with a fault.
// - A page set up as bad (SetBadPage) is stored with bit 0 of its first byte
//   flipped, as a flash cell that does not keep what it was given; a page set
//   up as corrupt (SetCorruptPage) with bit 0 of its middle byte (128)
//   flipped. Either write is taken as accepted.
// - READ answers pages x 256 bytes from flash; bytes of pages outside the
//   window read as 0xFF (with a fault), never from outside the buffer.
// - A new command replaces an answer the host has not read yet.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/FlashGeometry.h"

class SimFirmware {
public:
    static constexpr size_t kPayloadSize = 64;
    static constexpr size_t kTableSize = 256;

    SimFirmware(uint16_t releaseNumber, std::string versionText);
    ~SimFirmware();
    SimFirmware(const SimFirmware&) = delete;
    SimFirmware& operator=(const SimFirmware&) = delete;

    uint16_t ReleaseNumber() const { return m_releaseNumber; }
    uint8_t CodeOffset() const { return m_codeOffset; }

    // One report from the host: 65 bytes, report ID first.
    void OnHostReport(const uint8_t* report65);
    bool HasReportForHost() const;
    // The next answer's 64 payload bytes; all 0 when nothing is pending.
    std::array<uint8_t, kPayloadSize> PopReportForHost();
    // Same without a copy: fills payload (64 bytes); false when nothing is pending.
    bool PopReportForHost(uint8_t* payload);
    // Drops any unread answer (the host closed the device).
    void DropReportsForHost();

    // What a power cycle or USB reset leaves: flash and area table stay;
    // transfers in progress, queued answers and a reset request are dropped.
    void Reboot();

    // Flash, index 0 = address 0x40000000, kFlashSize bytes. The vector is
    // built on demand and stays valid until the flash changes.
    const std::vector<uint8_t>& Flash() const;
    uint8_t FlashByte(uint32_t offset) const;
    void ReadFlash(uint32_t offset, uint8_t* out, size_t length) const;
    // Sets flash bytes directly (test fixtures, loading images), no rules.
    void PokeFlash(uint32_t offset, const uint8_t* data, size_t length);
    // The next `writes` programmings of `page` store it wrong (see above).
    void SetBadPage(uint32_t page, uint32_t writes);
    // Every programming of `page` stores it wrong (see above).
    void SetCorruptPage(uint32_t page);
    static constexpr size_t kCorruptByte = kPageSize / 2;
    // Counts every change of the flash (programming, erasing, pokes, loads),
    // so an owner can tell whether there is anything new to save.
    uint64_t FlashChanges() const { return m_flashChanges; }
    // Whole-image files of exactly kFlashSize bytes.
    bool LoadFlash(const std::string& path, std::string* error);
    bool SaveFlash(const std::string& path, std::string* error) const;

    bool HasAreaTable() const { return m_hasAreaTable; }
    const std::array<uint8_t, kTableSize>& AreaTable() const { return m_areaTable; }

    // Rule violations seen, e.g. "write into unerased flash at page 160".
    const std::vector<std::string>& Faults() const { return m_faults; }
    // Reports that failed the check or carried a code this device ignores.
    uint64_t IgnoredReports() const { return m_ignoredReports; }
    int EndCount() const { return m_endCount; }
    int EraseCount() const { return m_eraseCommands; }
    int WriteCommandCount() const { return m_writeCommands; }

    // Set by RESET; the owner detaches the device, then calls Reboot().
    bool ResetRequested() const { return m_resetRequested; }

    // Sectors erased since the last call: the owner turns them into busy time
    // (34 ms each on a real device) before the next answer is due.
    uint32_t TakeErasedSectors();

private:
    enum class Inbound { Command, WriteData, AreaTable };

    void OnCommand(const uint8_t* report65);
    void OnWriteData(const uint8_t* payload);
    void OnAreaTableData(const uint8_t* payload);
    void ProgramPage(uint64_t page, const uint8_t* data);
    void EraseSector(uint64_t sector);
    bool IsOwnCode(uint8_t code, uint8_t* baseCode) const;
    void AddFault(std::string text);
    uint8_t* SectorForWrite(uint32_t sector);
    void Changed()
    {
        m_flashCacheValid = false;
        ++m_flashChanges;
    }

    uint16_t m_releaseNumber;
    uint8_t m_codeOffset;
    std::string m_versionText;

    // Erased sectors hold no storage: most of an 8 MiB window stays 0xFF.
    std::vector<std::unique_ptr<uint8_t[]>> m_sectors;
    mutable std::vector<uint8_t> m_flashCache;
    mutable bool m_flashCacheValid = false;
    uint64_t m_flashChanges = 0;

    Inbound m_inbound = Inbound::Command;
    uint64_t m_writePage = 0;       // page the current data belong to
    uint64_t m_writePagesLeft = 0;  // pages still announced
    size_t m_pageFill = 0;          // bytes gathered for the current page
    std::array<uint8_t, kPageSize> m_pageBuffer{};
    size_t m_tableFill = 0;
    std::array<uint8_t, kTableSize> m_tableBuffer{};

    // Outbound: a page read is produced report by report, never queued whole.
    uint64_t m_readOffset = 0;      // window offset of the next byte (may lie beyond the window)
    uint64_t m_readBytesLeft = 0;
    bool m_versionPending = false;

    bool m_hasAreaTable = false;
    std::array<uint8_t, kTableSize> m_areaTable{};
    std::vector<std::string> m_faults;
    uint64_t m_ignoredReports = 0;
    int m_endCount = 0;
    int m_eraseCommands = 0;
    int m_writeCommands = 0;
    bool m_resetRequested = false;
    uint32_t m_erasedSectors = 0;
    struct StoredBitFlip {
        uint64_t page;
        size_t byte;
        uint32_t writesLeft;
    };
    void AddBitFlip(uint64_t page, size_t byte, uint32_t writes);
    std::vector<StoredBitFlip> m_bitFlips;  // one per page and byte
};
