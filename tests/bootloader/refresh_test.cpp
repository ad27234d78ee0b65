// The boot-loader check before an update and the rewrite of an old boot
// loader, against simulated devices on the virtual clock.

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bootloader/BootloaderRefresh.h"
#include "package/PackageSearch.h"
#include "platform/Clock.h"
#include "platform/Diagnostics.h"
#include "platform/FlashGeometry.h"
#include "sim/SimConfig.h"
#include "sim/SimulatedBackend.h"
#include "support/FifoWatch.h"
#include "support/PackageTestFiles.h"
#include "support/SimulatedDevices.h"

namespace {

const std::string kOpen = "USB HID Device VID[0416] PID[b500] Open Success.\n";
const std::string kHeader = " >> NUC501  Update Bootloader <<\n\n\n";
// CheckBootloaderVersion's part once the dump lines are taken out.
const std::string kCheck = kOpen + "String code\nHex code\n";

constexpr int kAbsent = -1;     // no image file at all
constexpr int kDirectory = -2;  // a folder where the image should be
constexpr int kFifo = -3;       // a FIFO where the image should be

class RefreshTest : public SimulatedDevicesTest {
protected:
    // The image the refresh is given: the one in the test's program folder.
    std::string Image() const { return dir.File(kBootloaderImageName); }

    void Start(const std::string& simulate, int imageLength)
    {
        if (imageLength == kDirectory) {
            std::filesystem::create_directory(dir.File(kBootloaderImageName));
#ifndef _WIN32
        } else if (imageLength == kFifo) {
            ASSERT_EQ(::mkfifo(dir.File(kBootloaderImageName).c_str(), 0600), 0);
#endif
        } else if (imageLength != kAbsent) {
            image = PatternBytes(size_t(imageLength), 0x3C);
            WriteBytesToFile(dir.File(kBootloaderImageName), image);
        }
        SimulatedDevicesTest::Start(simulate);
        // The old boot loader and the descriptor block that follows it.
        for (int device = 0; device < backend->DeviceCount(); ++device) {
            backend->Firmware(device).PokeFlash(0, oldFlash.data(), oldFlash.size());
        }
    }

    // The diagnostics without the 128 lines of each version dump.
    std::string Lines() const
    {
        std::istringstream in(diagnostics.Text());
        std::string line, kept;
        while (std::getline(in, line))
            if (line.rfind("pReadBuf[", 0) != 0)
                kept += line + "\n";
        return kept;
    }

    std::vector<uint8_t> Flash(int device, uint32_t offset, uint32_t length) const
    {
        std::vector<uint8_t> bytes(length);
        backend->Firmware(device).ReadFlash(offset, bytes.data(), length);
        return bytes;
    }

    // The image as the device should hold it: padded with 0xFF to whole pages.
    std::vector<uint8_t> PaddedImage() const
    {
        std::vector<uint8_t> padded = image;
        padded.resize((image.size() + kPageSize - 1) / kPageSize * kPageSize, 0xFF);
        return padded;
    }

    PackageTempDir dir;
    std::vector<uint8_t> image;
    const std::vector<uint8_t> oldFlash = PatternBytes(0x10000, 0xA5);
};

TEST_F(RefreshTest, OldBootLoaderIsRewrittenOnEveryDevice)
{
    Start("devices=2;version=A107", 10000);
    EXPECT_EQ(UpdateBootloader(*devices, Image()), 1);

    const std::string write = kOpen + ">>> Write pages: 0 - 39\n";
    EXPECT_EQ(Lines(), kOpen + kOpen + kHeader + kCheck + "String code\nHex code\n" +
                           "Boot loader too old: rewriting it from " + Image() + "\nErase bootloader!\n" +
                           "Write bootloader Data!\n" + write + write + "Update bootloader successful!\n");
    std::vector<uint8_t> padded = PaddedImage();
    ASSERT_EQ(padded.size(), 40u * kPageSize);
    for (int device = 0; device < 2; ++device) {
        SCOPED_TRACE(device);
        EXPECT_EQ(Flash(device, 0, 40 * kPageSize), padded);
        // Sectors 0-2 were erased: the rest of sector 2 is blank, sector 3 on is the old flash.
        EXPECT_EQ(Flash(device, 40 * kPageSize, 3 * kSectorSize - 40 * kPageSize),
                  std::vector<uint8_t>(3 * kSectorSize - 40 * kPageSize, 0xFF));
        EXPECT_EQ(Flash(device, 3 * kSectorSize, 0x10000 - 3 * kSectorSize),
                  std::vector<uint8_t>(oldFlash.begin() + 3 * kSectorSize, oldFlash.end()));
        EXPECT_TRUE(backend->Firmware(device).Faults().empty());
    }
    // Each device is probed with a 300 ms pause; nothing else takes time.
    EXPECT_EQ(clock.NowMs(), 2u * kProbePauseMs);
}

TEST_F(RefreshTest, ImageSizes)
{
    struct Case {
        const char* name;
        int length;
        uint32_t pages;
    };
    const Case cases[] = {
        {"whole pages are written as they come", 512, 2},
        {"one byte more adds a page of 0xFF after it", 513, 3},
        {"exactly two sectors", 8192, 32},
        {"the largest image the boot loader may take", 0x8000, 128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start("version=A107", c.length);
        diagnostics.Clear();
        EXPECT_EQ(UpdateBootloader(*devices, Image()), 1);
        EXPECT_NE(diagnostics.Text().find(">>> Write pages: 0 - " + std::to_string(c.pages - 1) + "\n"),
                  std::string::npos);
        EXPECT_EQ(Flash(0, 0, c.pages * kPageSize), PaddedImage());
        // The descriptor block at page 128 is never touched.
        EXPECT_EQ(Flash(0, kDescriptorPage * kPageSize, kPageSize),
                  std::vector<uint8_t>(oldFlash.begin() + kDescriptorPage * kPageSize,
                                       oldFlash.begin() + (kDescriptorPage + 1) * kPageSize));
    }
}

TEST_F(RefreshTest, Outcomes)
{
    struct Case {
        const char* name;
        const char* simulate;
        int imageLength;
        int result;
        std::string lines;  // diagnostics without the version dumps; "%s" = the image path
    };
    const std::string rewrite = "Boot loader too old: rewriting it from %s\n";
    const std::string refresh = kOpen + kHeader + kCheck + rewrite + "Erase bootloader!\n";
    const std::string probe = "ERROR: probe before the boot-loader check";
    const Case cases[] = {
        {"current boot loader, image never opened", "version=A108", kAbsent, 1, kOpen + kHeader + kCheck},
        {"second kind of boot loader is current", "version=B", kAbsent, 1, kOpen + kHeader + kCheck},
        {"unrecognised answer", "version=X", 1000, 0,
         kOpen + kHeader + kCheck + "**ERROR:Could not update in bootloader **\n" +
             "ERROR: boot-loader version query: no device gave a version answer the updater understands\n"},
        {"no device", "devices=0", 1000, 0, "Can't Open HID Device\n" + probe + ": no device attached\n"},
        {"probe command not taken", "stall=0@0", 1000, 0,
         kOpen + "ERROR: Write HID_CMD_READ failed!\n" + probe + " on device 0 (sim-0): sending the read command failed\n"},
        {"probe never answered", "stall=0@1", 1000, 0,
         kOpen + "ERROR: Read Buffer failed!\n" + probe + " on device 0 (sim-0): no answer to the read within 1500 ms\n"},
        {"version never answered", "version=A107;stall=0@3", 1000, 0,
         kOpen + kHeader + kOpen + "ERROR: Read Version fail!\n" +
             "ERROR: boot-loader version query on device 0 (sim-0): no answer to the version query within 5000 ms\n"},
        {"image missing", "version=A107", kAbsent, 0,
         kOpen + kHeader + kCheck + rewrite + "Can't open file %s\nERROR: boot-loader rewrite: the image file %s can't be opened\n"},
        {"image path is a folder", "version=A107", kDirectory, 0,
         kOpen + kHeader + kCheck + rewrite + "Can't open file %s\nERROR: boot-loader rewrite: the image file %s can't be opened\n"},
#ifndef _WIN32  // Windows has no FIFOs in its folders
        {"image path is a FIFO", "version=A107", kFifo, 0,
         kOpen + kHeader + kCheck + rewrite + "Can't open file %s\nERROR: boot-loader rewrite: the image file %s can't be opened\n"},
#endif
        {"empty image erases nothing", "version=A107", 0, 0,
         kOpen + kHeader + kCheck + rewrite + "ERROR: Bootloader image %s is empty!\n" +
             "ERROR: boot-loader rewrite: the image file %s is empty\n"},
        {"image too long for the boot loader", "version=A107", 0x8001, 0,
         kOpen + kHeader + kCheck + rewrite +
             "ERROR: Bootloader image %s is 32769 bytes, more than the 32768 the boot loader may take!\n" +
             "ERROR: boot-loader rewrite: the image file %s is too long\n"},
        {"device lost during the erase", "version=A107;unplug=0@5", 1000, 0,
         refresh + "ERROR: erase of sector 0 on device 0 (sim-0): the device left the bus (unplugged?) at the " +
             "handshake read command\nERROR: Erase bootloader sectors fail!\n"},
        {"device lost during the write", "version=A107;unplug=0@12", 1000, 0,
         refresh + "Write bootloader Data!\n" + kOpen + ">>> Write pages: 0 - 3\nERROR: Write fail!\n" +
             "ERROR: write of pages 0-3 on device 0 (sim-0): the device left the bus (unplugged?) at the data for " +
             "page 0\nERROR: Write bootloader pages fail!\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir.File(kBootloaderImageName));
        Start(c.simulate, c.imageLength);
        diagnostics.Clear();
        FifoWatch watch(dir.File(kBootloaderImageName));
        EXPECT_EQ(UpdateBootloader(*devices, Image()), c.result);
        EXPECT_FALSE(watch.Released()) << "the refresh waited for a writer";

        std::string expected = c.lines;
        for (size_t at; (at = expected.find("%s")) != std::string::npos;)
            expected.replace(at, 2, Image());
        EXPECT_EQ(Lines(), expected);
        if (backend->DeviceCount() > 0 && c.result == 1) {
            EXPECT_EQ(Flash(0, 0, 0x10000), oldFlash);  // left alone
        }
    }
}

// The caller learns that a rewrite starts (and may say so) before the first
// sector is erased, and only then.
TEST_F(RefreshTest, CallerIsToldOfARewriteBeforeItStarts)
{
    struct Case {
        const char* name;
        const char* simulate;
        int result;
        bool told;
    };
    const Case cases[] = {
        {"too old: rewritten", "version=A107", 1, true},
        {"too old, the rewrite fails", "version=A107;unplug=0@5", 0, true},
        {"current", "version=A108", 1, false},
        {"unrecognised answer", "version=X", 0, false},
        {"no device", "devices=0", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start(c.simulate, 1000);
        int told = 0;
        int erasesBefore = -1;
        EXPECT_EQ(UpdateBootloader(*devices, Image(), [&] {
                      ++told;
                      erasesBefore = backend->DeviceCount() > 0 ? backend->Firmware(0).EraseCount() : -1;
                  }),
                  c.result);
        EXPECT_EQ(told, c.told ? 1 : 0);
        if (c.told) {
            EXPECT_EQ(erasesBefore, 0);
        }
    }
}

TEST_F(RefreshTest, ImageBesideThePackageComesBeforeTheProgramFolders)
{
    PackageTempDir downloads;
    const std::vector<uint8_t> besidePackage = PatternBytes(600, 0x77);
    WriteBytesToFile(downloads.File(kBootloaderImageName), besidePackage);
    Start("version=A107", 1000);  // the program folder's image

    const std::string image = FindBootloaderImage(downloads.File("KT7_Down.dat"), dir.Path(), kBootloaderImageName);
    EXPECT_EQ(UpdateBootloader(*devices, image), 1);
    std::vector<uint8_t> expected = besidePackage;
    expected.resize(3 * kPageSize, 0xFF);
    EXPECT_EQ(Flash(0, 0, 3 * kPageSize), expected);
}

TEST_F(RefreshTest, RefusedImageLeavesTheDevicesUntouched)
{
    for (int length : {0x8001, 0}) {
        SCOPED_TRACE(length);
        std::filesystem::remove(dir.File(kBootloaderImageName));
        Start("version=A107", length);
        EXPECT_EQ(WriteBootloaderImage(*devices, Image()), -1);
        EXPECT_EQ(backend->Firmware(0).EraseCount(), 0);
        EXPECT_EQ(backend->ReportCount(0), 0u);
        EXPECT_EQ(Flash(0, 0, 0x10000), oldFlash);
    }
}

// The image is read back from every device after it was written. A device
// that holds something else gets the image once more; if it still differs,
// the refresh fails, naming the device and the first page that differs.
TEST_F(RefreshTest, WrittenImageIsReadBackAndWrittenOnceMore)
{
    struct Case {
        const char* shows;
        int badDevice;        // -1: none
        uint32_t badWrites;   // writes of page 3 the device keeps wrong
        int result;
        std::string lines;    // after the version check
        uint64_t reports[2];  // per device
    };
    const std::string write = "Erase bootloader!\nWrite bootloader Data!\n" + kOpen + ">>> Write pages: 0 - 39\n" + kOpen +
                              ">>> Write pages: 0 - 39\n";
    const std::string differs = "ERROR: read-back of the boot loader on device 1 (sim-1): differs from the image at "
                                "page 3\nERROR: Bootloader read back from device 1 differs from the image at page 3!\n";
    // Probe 2, version 2, erase 6 (command, read command, 4 answers), write
    // 1 + 40 x 4, read back 1 + 40 x 4; a second round adds erase, write and
    // read back. A read-back that finds page 3 wrong stops at its 13th answer.
    const uint64_t once = 2 + 2 + 6 + 161 + 161, twice = once + 6 + 161 + 161, cut = 160 - 13;
    const Case cases[] = {
        {"both devices hold the image", -1, 0, 1, write + "Update bootloader successful!\n", {once, once}},
        {"a page kept wrong once is written again", 1, 1, 1,
         write + differs + "Write bootloader once more!\n" + write + "Update bootloader successful!\n",
         {twice, twice - cut}},
        {"a page kept wrong twice fails the refresh", 1, 2, 0,
         write + differs + "Write bootloader once more!\n" + write + differs, {twice, twice - 2 * cut}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shows);
        Start("devices=2;version=A107", 10000);
        if (c.badDevice >= 0)
            backend->Firmware(c.badDevice).SetBadPage(3, c.badWrites);
        diagnostics.Clear();
        EXPECT_EQ(UpdateBootloader(*devices, Image()), c.result);
        EXPECT_EQ(Lines(), kOpen + kOpen + kHeader + kCheck + "String code\nHex code\nBoot loader too old: rewriting it "
                               "from " + Image() + "\n" + c.lines);
        for (int device = 0; device < 2; ++device) {
            SCOPED_TRACE(device);
            EXPECT_FALSE(backend->Firmware(device).ResetRequested());
            EXPECT_EQ(backend->ReportCount(device), c.reports[device]);
            if (c.result == 1) {
                EXPECT_EQ(Flash(device, 0, 40 * kPageSize), PaddedImage());
            }
        }
    }
}

TEST_F(RefreshTest, DeviceThatDoesNotAnswerTheReadBackFailsTheRefresh)
{
    // Probe 2, version 2, erase 6, write 1 + 4 x 4: the read-back command is
    // the 28th report, and it is never answered.
    Start("version=A107;stall=0@28", 1000);
    diagnostics.Clear();
    EXPECT_EQ(UpdateBootloader(*devices, Image()), 0);
    EXPECT_NE(Lines().find("ERROR: Bootloader read back from device 0 failed!\nWrite bootloader once more!\n"),
              std::string::npos)
        << Lines();
}

// The refresh acts on the devices counted when the run was chosen: one that
// has left since must fail it, not be skipped while the rest succeed.
TEST_F(RefreshTest, DeviceThatLeavesFailsTheRefreshInsteadOfBeingSkipped)
{
    struct Case {
        const char* name;
        const char* simulate;
        const char* operation;
    };
    // The second device's reports: probe 2, version 2, erase 6.
    const Case cases[] = {
        {"gone before the version query", "devices=2;version=A107;unplug=1@2", "boot-loader version query"},
        {"gone after its erase, before the write", "devices=2;version=A107;unplug=1@10", "write of pages 0-3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start(c.simulate, 1000);
        devices->RememberDevices();
        EXPECT_EQ(UpdateBootloader(*devices, Image()), 0);
        ASSERT_TRUE(devices->Failure());
        EXPECT_EQ(devices->Failure()->operation, c.operation);
        EXPECT_EQ(devices->Failure()->device, 1);
        EXPECT_EQ(devices->Failure()->cause, FailureCause::DeviceGone);
        EXPECT_EQ(backend->Firmware(0).WriteCommandCount(), 0u) << "the first device got no image either";
    }
}

TEST_F(RefreshTest, WriteResults)
{
    Start("version=A107", 10000);
    EXPECT_EQ(WriteBootloaderImage(*devices, Image()), 40 * int(kPageSize));

    std::remove(dir.File(kBootloaderImageName).c_str());
    EXPECT_EQ(WriteBootloaderImage(*devices, Image()), 0);
}

} // namespace
