#include "sim/SimFirmware.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>

#include "hid/Protocol.h"
#include "platform/RegularFile.h"
#include "platform/SystemPath.h"

namespace {

bool AllErased(const uint8_t* bytes, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        if (bytes[i] != 0xFF)
            return false;
    return true;
}

std::string Range(const char* unit, uint64_t first, uint64_t count)
{
    return std::string(unit) + " " + std::to_string(first) + "-" + std::to_string(first + count - 1);
}

}  // namespace

SimFirmware::SimFirmware(uint16_t releaseNumber, std::string versionText)
    : m_releaseNumber(releaseNumber),
      m_codeOffset(releaseNumber == 0x0000 || releaseNumber == 0x5512 ? 0x00 : 0x40),
      m_versionText(std::move(versionText)),
      m_sectors(kSectorCount)
{
    if (m_versionText.size() > kPayloadSize)
        m_versionText.resize(kPayloadSize);
}

SimFirmware::~SimFirmware() = default;

void SimFirmware::OnHostReport(const uint8_t* report65)
{
    switch (m_inbound) {
    case Inbound::WriteData:
        OnWriteData(report65 + 1);
        return;
    case Inbound::AreaTable:
        OnAreaTableData(report65 + 1);
        return;
    case Inbound::Command:
        OnCommand(report65);
        return;
    }
}

bool SimFirmware::IsOwnCode(uint8_t code, uint8_t* baseCode) const
{
    if (code == HID_CMD_VERSION) {
        *baseCode = code;
        return true;
    }
    uint8_t base = static_cast<uint8_t>(code - m_codeOffset);
    if (base < HID_CMD_ERASE || base > HID_CMD_AREA_INFO)
        return false;
    *baseCode = base;
    return true;
}

void SimFirmware::OnCommand(const uint8_t* report65)
{
    CommandPacket packet;
    uint8_t base = 0;
    if (report65[0] != kReportId || !ParseCommandReport(report65, &packet) || !IsOwnCode(packet.code, &base)) {
        ++m_ignoredReports;
        return;
    }
    const bool fixedArguments = packet.arg1 == kEndResetArg1 && packet.arg2 == kEndResetArg2;
    if ((base == HID_CMD_END || base == HID_CMD_RESET) && !fixedArguments) {
        ++m_ignoredReports;
        return;
    }

    DropReportsForHost();
    switch (base) {
    case HID_CMD_ERASE: {
        ++m_eraseCommands;
        uint64_t first = packet.arg1;
        uint64_t end = first + packet.arg2;
        for (uint64_t sector = first; sector < std::min<uint64_t>(end, kSectorCount); ++sector)
            EraseSector(sector);
        if (end > kSectorCount)
            AddFault("erase outside flash: " + Range("sectors", first, packet.arg2));
        break;
    }
    case HID_CMD_READ:
        m_readOffset = uint64_t(packet.arg1) * kPageSize;
        m_readBytesLeft = uint64_t(packet.arg2) * kPageSize;
        if (packet.arg2 != 0 && uint64_t(packet.arg1) + packet.arg2 > kPageCount)
            AddFault("read outside flash: " + Range("pages", packet.arg1, packet.arg2));
        break;
    case HID_CMD_WRITE:
        ++m_writeCommands;
        if (packet.arg2 == 0)
            break;
        if (uint64_t(packet.arg1) + packet.arg2 > kPageCount)
            AddFault("write outside flash: " + Range("pages", packet.arg1, packet.arg2));
        m_inbound = Inbound::WriteData;
        m_writePage = packet.arg1;
        m_writePagesLeft = packet.arg2;
        m_pageFill = 0;
        break;
    case HID_CMD_END:
        ++m_endCount;
        break;
    case HID_CMD_RESET:
        m_resetRequested = true;
        break;
    case HID_CMD_AREA_INFO:
        m_inbound = Inbound::AreaTable;
        m_tableFill = 0;
        break;
    case HID_CMD_VERSION:
        m_versionPending = true;
        break;
    }
}

void SimFirmware::OnWriteData(const uint8_t* payload)
{
    std::memcpy(m_pageBuffer.data() + m_pageFill, payload, kPayloadSize);
    m_pageFill += kPayloadSize;
    if (m_pageFill < kPageSize)
        return;
    ProgramPage(m_writePage, m_pageBuffer.data());
    ++m_writePage;
    m_pageFill = 0;
    if (--m_writePagesLeft == 0)
        m_inbound = Inbound::Command;
}

void SimFirmware::OnAreaTableData(const uint8_t* payload)
{
    std::memcpy(m_tableBuffer.data() + m_tableFill, payload, kPayloadSize);
    m_tableFill += kPayloadSize;
    if (m_tableFill < kTableSize)
        return;
    m_areaTable = m_tableBuffer;
    m_hasAreaTable = true;
    m_tableFill = 0;
    m_inbound = Inbound::Command;
}

uint8_t* SimFirmware::SectorForWrite(uint32_t sector)
{
    std::unique_ptr<uint8_t[]>& storage = m_sectors[sector];
    if (!storage) {
        storage = std::make_unique<uint8_t[]>(kSectorSize);
        std::memset(storage.get(), 0xFF, kSectorSize);
    }
    return storage.get();
}

void SimFirmware::ProgramPage(uint64_t page, const uint8_t* data)
{
    if (page >= kPageCount)
        return;  // already recorded when the write was announced
    const uint32_t sector = static_cast<uint32_t>(page / kPagesPerSector);
    const size_t offset = (page % kPagesPerSector) * kPageSize;
    if (m_sectors[sector] && !AllErased(m_sectors[sector].get() + offset, kPageSize)) {
        AddFault("write into unerased flash at page " + std::to_string(page));
        return;
    }
    uint8_t* stored = SectorForWrite(sector) + offset;
    std::memcpy(stored, data, kPageSize);
    for (StoredBitFlip& flip : m_bitFlips) {
        if (flip.page == page && flip.writesLeft > 0) {
            --flip.writesLeft;
            stored[flip.byte] ^= 0x01;
        }
    }
    Changed();
}

void SimFirmware::AddBitFlip(uint64_t page, size_t byte, uint32_t writes)
{
    for (StoredBitFlip& flip : m_bitFlips) {
        if (flip.page == page && flip.byte == byte) {
            flip.writesLeft = writes;
            return;
        }
    }
    m_bitFlips.push_back({page, byte, writes});
}

void SimFirmware::SetBadPage(uint32_t page, uint32_t writes)
{
    AddBitFlip(page, 0, writes);
}

void SimFirmware::SetCorruptPage(uint32_t page)
{
    AddBitFlip(page, kCorruptByte, std::numeric_limits<uint32_t>::max());
}

void SimFirmware::EraseSector(uint64_t sector)
{
    m_sectors[sector].reset();
    ++m_erasedSectors;
    Changed();
}

bool SimFirmware::HasReportForHost() const
{
    return m_versionPending || m_readBytesLeft != 0;
}

bool SimFirmware::PopReportForHost(uint8_t* payload)
{
    if (m_versionPending) {
        std::memset(payload, 0, kPayloadSize);
        std::memcpy(payload, m_versionText.data(), m_versionText.size());
        m_versionPending = false;
        return true;
    }
    if (m_readBytesLeft == 0)
        return false;
    // Reads start on page boundaries and move in whole reports, so a report
    // never straddles the window's end.
    if (m_readOffset < kFlashSize)
        ReadFlash(static_cast<uint32_t>(m_readOffset), payload, kPayloadSize);
    else
        std::memset(payload, 0xFF, kPayloadSize);
    m_readOffset += kPayloadSize;
    m_readBytesLeft -= kPayloadSize;
    return true;
}

std::array<uint8_t, SimFirmware::kPayloadSize> SimFirmware::PopReportForHost()
{
    std::array<uint8_t, kPayloadSize> payload{};
    PopReportForHost(payload.data());
    return payload;
}

void SimFirmware::DropReportsForHost()
{
    m_versionPending = false;
    m_readBytesLeft = 0;
}

void SimFirmware::Reboot()
{
    DropReportsForHost();
    m_inbound = Inbound::Command;
    m_pageFill = 0;
    m_tableFill = 0;
    m_writePagesLeft = 0;
    m_resetRequested = false;
    m_erasedSectors = 0;
}

uint32_t SimFirmware::TakeErasedSectors()
{
    uint32_t count = m_erasedSectors;
    m_erasedSectors = 0;
    return count;
}

void SimFirmware::AddFault(std::string text)
{
    m_faults.push_back(std::move(text));
}

uint8_t SimFirmware::FlashByte(uint32_t offset) const
{
    if (offset >= kFlashSize)
        return 0xFF;
    const std::unique_ptr<uint8_t[]>& storage = m_sectors[offset / kSectorSize];
    return storage ? storage[offset % kSectorSize] : 0xFF;
}

void SimFirmware::ReadFlash(uint32_t offset, uint8_t* out, size_t length) const
{
    while (length > 0) {
        if (offset >= kFlashSize) {
            std::memset(out, 0xFF, length);
            return;
        }
        const uint32_t inSector = offset % kSectorSize;
        const size_t chunk = std::min<size_t>(length, kSectorSize - inSector);
        const std::unique_ptr<uint8_t[]>& storage = m_sectors[offset / kSectorSize];
        if (storage)
            std::memcpy(out, storage.get() + inSector, chunk);
        else
            std::memset(out, 0xFF, chunk);
        out += chunk;
        offset += static_cast<uint32_t>(chunk);
        length -= chunk;
    }
}

void SimFirmware::PokeFlash(uint32_t offset, const uint8_t* data, size_t length)
{
    while (length > 0 && offset < kFlashSize) {
        const uint32_t inSector = offset % kSectorSize;
        const size_t chunk = std::min<size_t>(length, kSectorSize - inSector);
        std::memcpy(SectorForWrite(offset / kSectorSize) + inSector, data, chunk);
        data += chunk;
        offset += static_cast<uint32_t>(chunk);
        length -= chunk;
    }
    Changed();
}

const std::vector<uint8_t>& SimFirmware::Flash() const
{
    if (!m_flashCacheValid) {
        m_flashCache.resize(kFlashSize);
        ReadFlash(0, m_flashCache.data(), kFlashSize);
        m_flashCacheValid = true;
    }
    return m_flashCache;
}

bool SimFirmware::LoadFlash(const std::string& path, std::string* error)
{
    std::string ignored;
    if (!error)
        error = &ignored;
    RegularFile file(path);
    const int64_t size = file.Length();
    if (size < 0) {
        *error = "cannot read flash image " + path + ": not a readable regular file";
        return false;
    }
    if (size != int64_t(kFlashSize)) {
        *error = "flash image " + path + " has " + std::to_string(size) + " bytes; expected " +
                 std::to_string(kFlashSize);
        return false;
    }
    std::vector<std::unique_ptr<uint8_t[]>> sectors(kSectorCount);
    std::vector<uint8_t> buffer(kSectorSize);
    for (uint32_t sector = 0; sector < kSectorCount; ++sector) {
        if (file.Read(buffer.data(), kSectorSize) != ssize_t(kSectorSize)) {
            *error = "cannot read flash image " + path;
            return false;
        }
        if (AllErased(buffer.data(), kSectorSize))
            continue;
        sectors[sector] = std::make_unique<uint8_t[]>(kSectorSize);
        std::memcpy(sectors[sector].get(), buffer.data(), kSectorSize);
    }
    m_sectors = std::move(sectors);
    Changed();
    return true;
}

bool SimFirmware::SaveFlash(const std::string& path, std::string* error) const
{
    // Written beside the target and renamed, so a failed save never leaves a
    // truncated image where a good one was. Every write and the close are
    // checked: a full disk must not pass for a saved image.
    const std::string temporary = path + ".tmp";
    std::FILE* file = OpenFile(temporary, "wb");
    bool written = file != nullptr;
    const std::vector<uint8_t> erased(kSectorSize, 0xFF);
    for (uint32_t sector = 0; sector < kSectorCount && written; ++sector) {
        const uint8_t* bytes = m_sectors[sector] ? m_sectors[sector].get() : erased.data();
        written = std::fwrite(bytes, 1, kSectorSize, file) == kSectorSize;
    }
    int savedErrno = errno;
    if (file) {
        written = written && std::fflush(file) == 0;
        if (!written)
            savedErrno = errno;
        if (std::fclose(file) != 0 && written) {
            written = false;
            savedErrno = errno;
        }
    }
    if (!written) {
        if (error)
            *error = "cannot write flash image " + temporary + ": " + std::strerror(savedErrno);
        std::error_code ignored;
        std::filesystem::remove(PathFromUtf8(temporary), ignored);
        return false;
    }
    std::error_code code;
    std::filesystem::rename(PathFromUtf8(temporary), PathFromUtf8(path), code);
    if (code) {
        if (error)
            *error = "cannot write flash image " + path + ": " + code.message();
        std::filesystem::remove(PathFromUtf8(temporary), code);
        return false;
    }
    return true;
}
