#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "hid/Protocol.h"
#include "sim/SimFirmware.h"
#include "support/SimulatedDevices.h"

namespace {

std::vector<uint8_t> Pattern(size_t length, uint8_t seed)
{
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
    return bytes;
}

void Send(SimFirmware& firmware, const Report& report)
{
    firmware.OnHostReport(report.data());
}

void SendData(SimFirmware& firmware, const std::vector<uint8_t>& data)
{
    for (size_t offset = 0; offset < data.size(); offset += kReportPayloadSize) {
        Report report;
        BuildDataReport(data.data() + offset, data.size() - offset, report.data());
        Send(firmware, report);
    }
}

std::vector<uint8_t> ReadAnswers(SimFirmware& firmware)
{
    std::vector<uint8_t> bytes;
    while (firmware.HasReportForHost()) {
        auto payload = firmware.PopReportForHost();
        bytes.insert(bytes.end(), payload.begin(), payload.end());
    }
    return bytes;
}

std::vector<uint8_t> FlashRange(const SimFirmware& firmware, uint32_t offset, size_t length)
{
    std::vector<uint8_t> bytes(length);
    firmware.ReadFlash(offset, bytes.data(), length);
    return bytes;
}

struct IgnoredCase {
    const char* what;
    uint16_t release;
    std::function<void(Report&)> spoil;
};

class FirmwareIgnores : public testing::TestWithParam<IgnoredCase> {};

// Each case spoils an otherwise good erase of sector 1 (which holds data) or
// sends a code the device does not take: nothing may change, nothing answers.
TEST_P(FirmwareIgnores, ReportsItMustNotAct)
{
    const IgnoredCase& c = GetParam();
    SimFirmware firmware(c.release, "B");
    const std::vector<uint8_t> data = Pattern(kSectorSize, 3);
    firmware.PokeFlash(kSectorSize, data.data(), data.size());

    const uint8_t offset = firmware.CodeOffset();
    Report report = Command(static_cast<uint8_t>(HID_CMD_ERASE + offset), 1, 1);
    c.spoil(report);
    Send(firmware, report);

    EXPECT_EQ(firmware.IgnoredReports(), 1u);
    EXPECT_FALSE(firmware.HasReportForHost());
    EXPECT_EQ(FlashRange(firmware, kSectorSize, kSectorSize), data);
    EXPECT_EQ(firmware.TakeErasedSectors(), 0u);

    // The device is not left in a strange state: a good command still works.
    Send(firmware, Command(static_cast<uint8_t>(HID_CMD_READ + offset), 16, 1));
    EXPECT_EQ(ReadAnswers(firmware), std::vector<uint8_t>(data.begin(), data.begin() + kPageSize));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FirmwareIgnores,
    testing::Values(
        IgnoredCase{"bad_checksum", 0x5512, [](Report& r) { r[1 + kPacketChecksumOffset] ^= 1; }},
        IgnoredCase{"bad_signature", 0x5512,
                    [](Report& r) {
                        r[1 + kPacketSignatureOffset] = 0x67;
                        StoreLe32(&r[1 + kPacketChecksumOffset], HidChecksum(&r[1], kPacketHeaderLength));
                    }},
        IgnoredCase{"header_length_not_14", 0x5512,
                    [](Report& r) {
                        r[1 + kPacketLengthOffset] = 13;
                        StoreLe32(&r[1 + kPacketChecksumOffset], HidChecksum(&r[1], kPacketHeaderLength));
                    }},
        IgnoredCase{"report_id_not_0", 0x5512, [](Report& r) { r[0] = 1; }},
        IgnoredCase{"offset_code_on_generic_device", 0x5512,
                    [](Report& r) { r = Command(HID_CMD_ERASE + 0x40, 1, 1); }},
        IgnoredCase{"base_code_on_special_device", 0x0100, [](Report& r) { r = Command(HID_CMD_ERASE, 1, 1); }},
        IgnoredCase{"unknown_code", 0x0000, [](Report& r) { r = Command(0xA8, 1, 1); }},
        IgnoredCase{"end_with_wrong_arguments", 0x5512, [](Report& r) { r = Command(HID_CMD_END, 1, 2); }}),
    [](const testing::TestParamInfo<IgnoredCase>& info) { return std::string(info.param.what); });

TEST(SimFirmware, ReleaseChoosesTheCommandSetAndVersionIsAlwaysA7)
{
    struct Case {
        uint16_t release;
        uint8_t offset;
    };
    for (Case c : {Case{0x0000, 0x00}, Case{0x5512, 0x00}, Case{0x0100, 0x40}, Case{0xFFFF, 0x40}}) {
        SCOPED_TRACE(testing::Message() << "release " << std::hex << c.release);
        SimFirmware firmware(c.release, "A108");
        EXPECT_EQ(firmware.CodeOffset(), c.offset);
        Send(firmware, Command(static_cast<uint8_t>(HID_CMD_READ + c.offset), 0, 1));
        EXPECT_EQ(ReadAnswers(firmware).size(), kPageSize);
        Send(firmware, Command(HID_CMD_VERSION, kVersionPage, 1));
        EXPECT_EQ(ReadAnswers(firmware).size(), kReportPayloadSize);
        EXPECT_EQ(firmware.IgnoredReports(), 0u);
    }
}

TEST(SimFirmware, VersionAnswerIsTheTextPaddedWithZeros)
{
    SimFirmware firmware(0x5512, "A107");
    Send(firmware, Command(HID_CMD_VERSION, kVersionPage, 1));
    std::vector<uint8_t> expected(kReportPayloadSize, 0);
    std::memcpy(expected.data(), "A107", 4);
    EXPECT_EQ(ReadAnswers(firmware), expected);

    const std::string full(64, 'B');
    SimFirmware longer(0x5512, full);
    Send(longer, Command(HID_CMD_VERSION, kVersionPage, 1));
    EXPECT_EQ(ReadAnswers(longer), std::vector<uint8_t>(full.begin(), full.end()));
}

TEST(SimFirmware, StartsErasedAndReadsBackWhatWasWritten)
{
    SimFirmware firmware(0x5512, "B");
    EXPECT_EQ(firmware.Flash().size(), kFlashSize);
    EXPECT_EQ(firmware.Flash()[0], 0xFF);
    EXPECT_EQ(firmware.Flash()[kFlashSize - 1], 0xFF);

    const std::vector<uint8_t> data = Pattern(3 * kPageSize, 9);
    Send(firmware, Command(HID_CMD_WRITE, 20, 3));
    SendData(firmware, data);
    EXPECT_EQ(firmware.WriteCommandCount(), 1);

    Send(firmware, Command(HID_CMD_READ, 20, 3));
    EXPECT_EQ(ReadAnswers(firmware), data);
    const std::vector<uint8_t>& flash = firmware.Flash();
    EXPECT_TRUE(std::equal(data.begin(), data.end(), flash.begin() + 20 * kPageSize));
    EXPECT_EQ(flash[20 * kPageSize - 1], 0xFF);
    EXPECT_EQ(flash[23 * kPageSize], 0xFF);
    EXPECT_TRUE(firmware.Faults().empty());
}

TEST(SimFirmware, WriteTakesItsDataEvenWhenItLooksLikeACommand)
{
    SimFirmware firmware(0x5512, "B");
    Report reset = Command(HID_CMD_RESET, kEndResetArg1, kEndResetArg2);
    std::vector<uint8_t> page(kPageSize, 0x11);
    std::memcpy(page.data(), reset.data() + 1, kReportPayloadSize);

    Send(firmware, Command(HID_CMD_WRITE, 0, 1));
    SendData(firmware, page);
    EXPECT_FALSE(firmware.ResetRequested());
    EXPECT_EQ(FlashRange(firmware, 0, kPageSize), page);
    // After the announced bytes the next report is a command again.
    Send(firmware, reset);
    EXPECT_TRUE(firmware.ResetRequested());
}

TEST(SimFirmware, WriteIntoUnerasedFlashIsRefusedAndRecorded)
{
    SimFirmware firmware(0x5512, "B");
    const std::vector<uint8_t> old(kPageSize, 0x5A);
    firmware.PokeFlash(161 * kPageSize, old.data(), old.size());
    // One byte programmed somewhere in the page is enough to refuse it.
    const uint8_t oneByte = 0x7F;
    firmware.PokeFlash(163 * kPageSize + 200, &oneByte, 1);

    const std::vector<uint8_t> data = Pattern(4 * kPageSize, 1);
    Send(firmware, Command(HID_CMD_WRITE, 160, 4));
    SendData(firmware, data);

    ASSERT_EQ(firmware.Faults().size(), 2u);
    EXPECT_NE(firmware.Faults()[0].find("page 161"), std::string::npos) << firmware.Faults()[0];
    EXPECT_NE(firmware.Faults()[1].find("page 163"), std::string::npos) << firmware.Faults()[1];
    EXPECT_EQ(FlashRange(firmware, 161 * kPageSize, kPageSize), old);
    EXPECT_EQ(firmware.FlashByte(163 * kPageSize + 200), 0x7F);
    EXPECT_EQ(firmware.FlashByte(163 * kPageSize), 0xFF);
    // The erased pages of the same write are programmed.
    EXPECT_EQ(FlashRange(firmware, 160 * kPageSize, kPageSize),
              std::vector<uint8_t>(data.begin(), data.begin() + kPageSize));
    EXPECT_EQ(FlashRange(firmware, 162 * kPageSize, kPageSize),
              std::vector<uint8_t>(data.begin() + 2 * kPageSize, data.begin() + 3 * kPageSize));

    // Writing a page twice without an erase is the usual way to hit this.
    Send(firmware, Command(HID_CMD_WRITE, 160, 1));
    SendData(firmware, std::vector<uint8_t>(kPageSize, 0));
    EXPECT_EQ(firmware.Faults().size(), 3u);
    EXPECT_EQ(firmware.FlashByte(160 * kPageSize), data[0]);
}

// Bad and corrupt pages side by side on one device: each keeps its own flip
// and its own count of writes, and no write is refused.
TEST(SimFirmware, PagesSetUpWrongStoreTheirOwnFlippedBit)
{
    SimFirmware firmware(0x5512, "B");
    firmware.SetBadPage(17, 1);
    firmware.SetCorruptPage(18);
    firmware.SetCorruptPage(19);
    const std::vector<uint8_t> data = Pattern(4 * kPageSize, 3);
    auto sent = [&](uint32_t page) {
        return std::vector<uint8_t>(data.begin() + (page - 16) * kPageSize, data.begin() + (page - 15) * kPageSize);
    };
    auto flipped = [&](uint32_t page, size_t byte) {
        std::vector<uint8_t> expected = sent(page);
        expected[byte] ^= 0x01;
        return expected;
    };
    auto page = [&](uint32_t page) { return FlashRange(firmware, page * kPageSize, kPageSize); };

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        Send(firmware, Command(HID_CMD_ERASE, 1, 1));
        Send(firmware, Command(HID_CMD_WRITE, 16, 4));
        SendData(firmware, data);
        EXPECT_EQ(page(16), sent(16));
        // The bad page was set up wrong for one write only.
        EXPECT_EQ(page(17), round == 0 ? flipped(17, 0) : sent(17));
        EXPECT_EQ(page(18), flipped(18, SimFirmware::kCorruptByte));
        EXPECT_EQ(page(19), flipped(19, SimFirmware::kCorruptByte));
        EXPECT_TRUE(firmware.Faults().empty());
    }
}

TEST(SimFirmware, EraseSetsWholeSectorsToFFAndCountsThem)
{
    SimFirmware firmware(0x5512, "B");
    const std::vector<uint8_t> data = Pattern(4 * kSectorSize, 5);
    firmware.PokeFlash(8 * kSectorSize, data.data(), data.size());

    Send(firmware, Command(HID_CMD_ERASE, 9, 2));
    EXPECT_EQ(firmware.TakeErasedSectors(), 2u);
    EXPECT_EQ(firmware.TakeErasedSectors(), 0u);
    EXPECT_EQ(FlashRange(firmware, 8 * kSectorSize, kSectorSize),
              std::vector<uint8_t>(data.begin(), data.begin() + kSectorSize));
    EXPECT_EQ(FlashRange(firmware, 9 * kSectorSize, 2 * kSectorSize), std::vector<uint8_t>(2 * kSectorSize, 0xFF));
    EXPECT_EQ(FlashRange(firmware, 11 * kSectorSize, kSectorSize),
              std::vector<uint8_t>(data.begin() + 3 * kSectorSize, data.end()));

    // An erased page takes a write again.
    Send(firmware, Command(HID_CMD_WRITE, 9 * kPagesPerSector, 1));
    SendData(firmware, std::vector<uint8_t>(kPageSize, 0x42));
    EXPECT_EQ(firmware.FlashByte(9 * kSectorSize), 0x42);
    EXPECT_TRUE(firmware.Faults().empty());
}

TEST(SimFirmware, OutOfWindowRangesStayInsideTheBuffer)
{
    SimFirmware firmware(0x5512, "B");
    const std::vector<uint8_t> last = Pattern(kPageSize, 77);
    firmware.PokeFlash(kFlashSize - kPageSize, last.data(), last.size());

    // An erase running past the end erases what lies inside.
    Send(firmware, Command(HID_CMD_ERASE, kSectorCount - 1, 3));
    EXPECT_EQ(firmware.TakeErasedSectors(), 1u);
    EXPECT_EQ(firmware.FlashByte(kFlashSize - 1), 0xFF);
    ASSERT_EQ(firmware.Faults().size(), 1u);
    EXPECT_NE(firmware.Faults()[0].find("erase outside flash"), std::string::npos);

    // A read running past the end answers 0xFF for the missing pages.
    firmware.PokeFlash(kFlashSize - kPageSize, last.data(), last.size());
    Send(firmware, Command(HID_CMD_READ, kPageCount - 1, 2));
    std::vector<uint8_t> expected = last;
    expected.resize(2 * kPageSize, 0xFF);
    EXPECT_EQ(ReadAnswers(firmware), expected);
    EXPECT_EQ(firmware.Faults().size(), 2u);

    // A write past the end takes all its data, keeps the pages inside.
    Send(firmware, Command(HID_CMD_ERASE, kSectorCount - 1, 1));
    const std::vector<uint8_t> data = Pattern(2 * kPageSize, 4);
    Send(firmware, Command(HID_CMD_WRITE, kPageCount - 1, 2));
    SendData(firmware, data);
    EXPECT_EQ(FlashRange(firmware, kFlashSize - kPageSize, kPageSize),
              std::vector<uint8_t>(data.begin(), data.begin() + kPageSize));
    EXPECT_EQ(firmware.Faults().size(), 3u);
    Send(firmware, Command(HID_CMD_VERSION, kVersionPage, 1));
    EXPECT_TRUE(firmware.HasReportForHost());

    // The largest counts neither hang nor allocate the range.
    Send(firmware, Command(HID_CMD_ERASE, 0xFFFFFFFFu, 0xFFFFFFFFu));
    Send(firmware, Command(HID_CMD_READ, 0xFFFFFFFFu, 0xFFFFFFFFu));
    EXPECT_EQ(firmware.PopReportForHost(), (std::array<uint8_t, 64>{[] {
                  std::array<uint8_t, 64> a;
                  a.fill(0xFF);
                  return a;
              }()}));
    EXPECT_TRUE(firmware.HasReportForHost());
}

TEST(SimFirmware, NewCommandReplacesAnUnreadAnswer)
{
    SimFirmware firmware(0x5512, "B");
    Send(firmware, Command(HID_CMD_READ, 0, 4));
    firmware.PopReportForHost();
    Send(firmware, Command(HID_CMD_VERSION, kVersionPage, 1));
    std::vector<uint8_t> answers = ReadAnswers(firmware);
    ASSERT_EQ(answers.size(), kReportPayloadSize);
    EXPECT_EQ(answers[0], 'B');
}

TEST(SimFirmware, AreaTableIsKeptOnlyWhenComplete)
{
    SimFirmware firmware(0x5512, "B");
    std::vector<uint8_t> table(SimFirmware::kTableSize, 0xFF);
    StoreLe16(&table[0], 0x0010);
    StoreLe16(&table[4], 0x0100);

    Send(firmware, Command(HID_CMD_AREA_INFO, kAreaInfoPage, 1));
    SendData(firmware, std::vector<uint8_t>(table.begin(), table.begin() + 128));
    EXPECT_FALSE(firmware.HasAreaTable());
    firmware.Reboot();  // a transfer cut short by a reset leaves no table
    SendData(firmware, std::vector<uint8_t>(table.begin(), table.begin() + 128));
    EXPECT_FALSE(firmware.HasAreaTable());

    Send(firmware, Command(HID_CMD_AREA_INFO, kAreaInfoPage, 1));
    SendData(firmware, table);
    ASSERT_TRUE(firmware.HasAreaTable());
    EXPECT_TRUE(std::equal(table.begin(), table.end(), firmware.AreaTable().begin()));
    // Every flash byte is still erased: the table is not flash data.
    EXPECT_EQ(firmware.FlashByte(kAreaInfoPage * kPageSize), 0xFF);
}

TEST(SimFirmware, EndAndResetAreRecorded)
{
    SimFirmware firmware(0x0100, "B");
    Send(firmware, Command(HID_CMD_END + 0x40, kEndResetArg1, kEndResetArg2));
    EXPECT_EQ(firmware.EndCount(), 1);
    EXPECT_FALSE(firmware.ResetRequested());
    Send(firmware, Command(HID_CMD_RESET + 0x40, kEndResetArg1, kEndResetArg2));
    EXPECT_TRUE(firmware.ResetRequested());
    firmware.Reboot();
    EXPECT_FALSE(firmware.ResetRequested());
}

class FlashFile : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("kt7-sim-fw-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string Path(const char* name) const { return (m_dir / name).string(); }

    std::filesystem::path m_dir;
};

TEST_F(FlashFile, RoundTripKeepsEveryByte)
{
    SimFirmware first(0x5512, "B");
    const std::vector<uint8_t> start = Pattern(kPageSize, 1);
    const std::vector<uint8_t> end = Pattern(kPageSize, 2);
    first.PokeFlash(0, start.data(), start.size());
    first.PokeFlash(kFlashSize - kPageSize, end.data(), end.size());
    std::string error;
    ASSERT_TRUE(first.SaveFlash(Path("image.bin"), &error)) << error;
    EXPECT_EQ(std::filesystem::file_size(Path("image.bin")), kFlashSize);

    SimFirmware second(0x5512, "B");
    ASSERT_TRUE(second.LoadFlash(Path("image.bin"), &error)) << error;
    EXPECT_EQ(second.Flash(), first.Flash());
}

TEST_F(FlashFile, WrongSizeOrMissingFileIsRefusedAndChangesNothing)
{
    std::ofstream(Path("short.bin"), std::ios::binary) << "abc";
    SimFirmware firmware(0x5512, "B");
    const uint8_t byte = 0x12;
    firmware.PokeFlash(5, &byte, 1);
    std::string error;
    EXPECT_FALSE(firmware.LoadFlash(Path("short.bin"), &error));
    EXPECT_NE(error.find("has 3 bytes"), std::string::npos) << error;
    EXPECT_NE(error.find("8388608"), std::string::npos) << error;
    EXPECT_FALSE(firmware.LoadFlash(Path("missing.bin"), &error));
    EXPECT_NE(error.find("missing.bin"), std::string::npos) << error;
    EXPECT_EQ(firmware.FlashByte(5), 0x12);
}

}  // namespace
