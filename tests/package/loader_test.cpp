#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "support/FifoWatch.h"
#ifndef _WIN32
#include "backends/Unprivileged.h"
#endif
#include "support/PackageTestFiles.h"
#include "package/MapImage.h"
#include "package/Package.h"
#include "package/PackageBuffers.h"
#include "package/PackageParser.h"
#include "package/PackageReader.h"
#include "package/PackageWriter.h"
#include "platform/Clock.h"
#include "platform/ProgramDirectory.h"
#include "platform/Services.h"

namespace {

constexpr char kOpenFailed[] = "打开升级文件失败，请确认！";
constexpr char kTooBig[] = "原始升级文件太大，请确认是否正确！";
constexpr char kNoPayloadMemory[] = "原始文件无法得到足够的内存，请重试！";
constexpr char kNotFound[] = "无法找到升级文件，请重新下载文件包！";
constexpr char kReadError[] = "读取文件数据错误，请重试！";
constexpr char kPackingInfo[] = "读取文件打包信息出错，请确认！";
constexpr char kMapPastFlash[] = "检测到地图文件超出FLASH空间！";
constexpr char kNoMapMemory[] = "升级文件无法得到足够的内存，请重试！";
// The package checks the update makes, run at load time as well.
constexpr char kTooSmall[] = "文件参数错误，必须大于128字节！";
constexpr char kNotAligned[] = "文件参数错误，必须是256字节对齐！";
constexpr char kAddressBad[] = "读取文件地址错误！";
constexpr char kMainMissing[] = "必须升级主程序！";
constexpr char kMainCheckFailed[] = "校验区域3数据失败!";
constexpr char kMapCheckFailed[] = "校验区域1数据失败!";
constexpr char kConnectDevice[] = "请确认已连接设备！";
constexpr char kShortAdvice[] = "文件太短，已损坏，请重新下载升级文件";
constexpr char kDamagedAdvice[] = "文件已损坏，请重新下载升级文件";

constexpr uint32_t kTicks = 4242;

int GenericProbe(char*)
{
    return 0;
}

int NoDeviceProbe(char*)
{
    GetPrompter().ShowMessage(kConnectDevice);
    return 0;
}

int Release0100Probe(char text[5])
{
    std::memcpy(text, "0100", 5);
    return 1;
}

// Fails the n-th package allocation (1 = payload, 2 = map image).
int g_allocationsLeft = 0;
uint8_t* FailingAllocator(size_t bytes)
{
    return g_allocationsLeft-- > 0 ? new (std::nothrow) uint8_t[bytes] : nullptr;
}

void SetLength(const std::string& path, uint64_t length)
{
    if (!std::filesystem::exists(path))
        std::ofstream(path, std::ios::binary).flush();
    std::filesystem::resize_file(path, length);
}

class PackageLoad : public testing::Test {
protected:
    void SetUp() override
    {
        ResetPackageState();
        SetProgramDirectory(m_dir.Path());
    }
    void TearDown() override
    {
        SetPackageAllocator(nullptr);
        ResetPackageState();
        g_packageChoice.clear();
    }

    std::string PackagePath(const char* name = "KT7_Down.dat") const { return m_dir.File(name); }
    void WritePackage(const PackageSpec& contents, const char* name = "KT7_Down.dat") const
    {
        WriteBytesToFile(PackagePath(name), BuildPackageFile(contents));
    }
    bool Load(ReleaseProbeFunction probe = GenericProbe)
    {
        ScopedServices scope({.clock = &m_clock, .prompter = &m_prompter});
        m_summary.clear();
        m_deviceSpecific = -1;
        return LoadPackage(&m_summary, &m_deviceSpecific, probe);
    }
    std::vector<std::string> Messages() const { return m_prompter.Messages(); }
    // A message box text: the message, then the file and what is wrong with it.
    std::string Explained(const char* message, const std::string& explanation,
                          const char* name = "KT7_Down.dat") const
    {
        return std::string(message) + "\n" + PackagePath(name) + "：" + explanation;
    }

    PackageTempDir m_dir;
    VirtualClock m_clock{kTicks};
    RecordingPrompter m_prompter;
    std::string m_summary;
    int m_deviceSpecific = -1;
};

TEST_F(PackageLoad, FillsThePackageStateAndTheSummary)
{
    PackageSpec contents = SamplePackageSpec();
    contents.mapScrambleLength = 0x5000;  // above the map size: clipped
    WritePackage(contents);

    ASSERT_TRUE(Load());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(m_deviceSpecific, 0);
    EXPECT_EQ(m_summary,
              "\r\nSolution:KT7.0\r\nUpdate Time:2026-12-10\r\nSoftware Ver:SW1.12\r\nFirmware Ver:M101\r\n"
              "Voice Ver:V202\r\nData Ver:D303");

    std::vector<uint8_t> payload = BuildPackagePayload(contents);
    ASSERT_EQ(CurrentPackage().m_packageLength, payload.size());
    EXPECT_EQ(CurrentPackage().m_packageCapacity, payload.size() + 1024 + 512);
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), CurrentPackage().m_packageData.get()));
    for (uint32_t i = CurrentPackage().m_packageLength; i < CurrentPackage().m_packageCapacity; ++i)
        ASSERT_EQ(CurrentPackage().m_packageData[i], 0xFF) << "slack byte " << i;

    EXPECT_EQ(CurrentPackage().m_packageHeader.mapSize, 0x400u);
    EXPECT_EQ(CurrentPackage().m_packageHeader.mapScrambleLength, 0x400u);
    EXPECT_EQ(CurrentPackage().m_packageHeader.mainAddress, 0x40010000u);

    PackageHeader header = ParsePackageHeader(payload.data(), payload.size());
    std::vector<uint8_t> expectedImage(0x400 + 1024);
    ASSERT_TRUE(FillMapImage(expectedImage.data(), expectedImage.size(), payload.data(), payload.size(), header,
                             MakeMapRandomBlock(kTicks)));
    ASSERT_EQ(CurrentPackage().m_mapImageCapacity, expectedImage.size());
    EXPECT_TRUE(std::equal(expectedImage.begin(), expectedImage.end(), CurrentPackage().m_mapImage.get()));
}

TEST_F(PackageLoad, WithoutMapThereIsNoMapImage)
{
    PackageSpec contents = SamplePackageSpec();
    contents.map.reset();
    // Too close to the window's end for a random block: would fail the map checks.
    contents.editHeader = [](PackageHeader& h) { h.mapAddress = 0x40800000 - 0x80; };
    WritePackage(contents);
    ASSERT_TRUE(Load());
    EXPECT_EQ(CurrentPackage().m_mapImage, nullptr);
    EXPECT_EQ(CurrentPackage().m_packageHeader.mapSize, kAreaAbsent);
}

// Such a payload is refused by the package checks; the summary made before
// them shows its header read as zeros past the payload's end.
TEST_F(PackageLoad, PayloadShorterThanTheHeaderReadsAsZeros)
{
    std::vector<uint8_t> payload(20, 0);
    std::memcpy(payload.data(), "KT7USBZL", 8);
    std::memcpy(payload.data() + 0x10, "2026", 4);
    KeyBlock key = MakeKeyBlock(5);
    std::vector<uint8_t> file(key.begin(), key.end());
    for (size_t i = 0; i < payload.size(); ++i)
        file.push_back(payload[i] ^ (i < 10 ? key[511 - i] : key[i]));
    WriteBytesToFile(PackagePath(), file);

    EXPECT_FALSE(Load());
    EXPECT_EQ(Messages(), std::vector<std::string>{Explained(kTooSmall, kDamagedAdvice)});
    EXPECT_EQ(CurrentPackage().m_packageData, nullptr);

    LoadedPackage package;
    EXPECT_STREQ(ParsePackageFile(file.data(), file.size(), MakeMapRandomBlock(1), &package), kTooSmall);
    EXPECT_EQ(package.summary,
              "\r\nSolution:KT7.0\r\nUpdate Time:2026\r\nSoftware Ver:SW1.12\r\nFirmware Ver:\r\nVoice Ver:\r\n"
              "Data Ver:");
    EXPECT_EQ(package.length, 20u);
    EXPECT_EQ(package.header.mainSize, 0u);
}

struct FailureCase {
    const char* what;
    std::function<void(const std::string& path)> make;
    const char* message;      // the first line
    const char* explanation;  // the second line, after the file's path
    int allocationsBeforeFailure = -1;  // -1: allocations succeed
};

TEST_F(PackageLoad, EveryFailureShowsItsMessageAndLeavesNothingLoaded)
{
    auto package = [](std::function<void(PackageHeader&)> edit) {
        return [edit](const std::string& path) {
            PackageSpec contents = SamplePackageSpec();
            contents.editHeader = edit;
            WriteBytesToFile(path, BuildPackageFile(contents));
        };
    };
    auto sized = [](uint64_t length) { return [length](const std::string& path) { SetLength(path, length); }; };
    auto sample = package([](PackageHeader&) {});

    const FailureCase cases[] = {
        {"no file", [](const std::string&) {}, kOpenFailed, "找不到该文件"},
        {"a folder in the file's place", [](const std::string& p) { std::filesystem::create_directory(p); },
         kOpenFailed, "不是普通文件，请选择升级文件本身"},
#ifndef _WIN32  // neither FIFOs nor device links in a Windows folder
        {"a FIFO in the file's place", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
         kOpenFailed, "不是普通文件，请选择升级文件本身"},
        {"a device in the file's place", [](const std::string& p) { ASSERT_EQ(::symlink("/dev/zero", p.c_str()), 0); },
         kOpenFailed, "不是普通文件，请选择升级文件本身"},
#endif
        {"one byte over the size limit", sized(0x7F00001), kTooBig, "文件太大，不是升级文件"},
        {"4 GiB + 10 bytes, small in 32 bits", sized(0x10000000Aull), kTooBig, "文件太大，不是升级文件"},
        {"payload buffer not allocated", sample, kNoPayloadMemory, "内存不足", 0},
        {"empty file", sized(0), kReadError, kShortAdvice},
        {"shorter than the key block", sized(1023), kReadError, kShortAdvice},
        {"map size over the limit", package([](PackageHeader& h) { h.mapSize = 0x7F00001; }), kPackingInfo,
         kDamagedAdvice},
        {"map address past the window", package([](PackageHeader& h) { h.mapAddress = 0x40800001; }),
         kPackingInfo, kDamagedAdvice},
        {"map address at the window's end", package([](PackageHeader& h) { h.mapAddress = 0x40800000; }),
         kMapPastFlash, kDamagedAdvice},
        {"map with random block one byte past the window",
         package([](PackageHeader& h) { h.mapAddress = 0x40800000 - h.mapSize - 256 + 1; }), kMapPastFlash,
         kDamagedAdvice},
        {"map area ends past the payload", package([](PackageHeader& h) { h.mapOffset += 1; }), kPackingInfo,
         kDamagedAdvice},
        {"map offset far outside the payload", package([](PackageHeader& h) { h.mapOffset = 0xFFFFFF00u; }),
         kPackingInfo, kDamagedAdvice},
        {"map image not allocated", sample, kNoMapMemory, "内存不足", 1},
        {"file of exactly the size limit passes the limit, not the alignment",
         [sample](const std::string& path) {
             sample(path);
             SetLength(path, 0x7F00000);
         },
         kNotAligned, kDamagedAdvice},
        {"main check byte", package([](PackageHeader& h) { h.mainCheck ^= 0x10; }), kMainCheckFailed, kDamagedAdvice},
        {"map check byte", package([](PackageHeader& h) { h.mapCheck ^= 0x10; }), kMapCheckFailed, kDamagedAdvice},
        {"voice before main", package([](PackageHeader& h) { h.voiceAddress = h.mainAddress - 0x1000; }),
         kAddressBad, kDamagedAdvice},
        {"no main program", package([](PackageHeader& h) { h.mainSize = kAreaAbsent; }), kMainMissing,
         kDamagedAdvice},
        {"main address inside a page", package([](PackageHeader& h) { h.mainAddress += 0x10; }), kAddressBad,
         kDamagedAdvice},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(PackagePath());
        c.make(PackagePath());
        m_prompter.Clear();
        if (c.allocationsBeforeFailure >= 0) {
            g_allocationsLeft = c.allocationsBeforeFailure;
            SetPackageAllocator(FailingAllocator);
        }
        FifoWatch watch(PackagePath());
        EXPECT_FALSE(Load());
        EXPECT_FALSE(watch.Released()) << "the load waited for a writer";
        SetPackageAllocator(nullptr);
        EXPECT_EQ(Messages(), std::vector<std::string>{Explained(c.message, c.explanation)});
        EXPECT_EQ(CurrentPackage().m_packageData, nullptr);
        EXPECT_EQ(CurrentPackage().m_mapImage, nullptr);
        EXPECT_EQ(CurrentPackage().m_packageLength, 0u);
    }
}

#ifndef _WIN32  // file modes and a user without rights are POSIX matters
TEST_F(PackageLoad, UnreadableFileSaysPermissionDenied)
{
    WritePackage(SamplePackageSpec());
    // Only the file itself is locked: the folder may be searched.
    ::chmod(m_dir.Path().c_str(), 0755);
    ::chmod(PackagePath().c_str(), 0200);
    const std::string expected = Explained(kOpenFailed, "没有读取该文件的权限");
    std::optional<bool> shown = RunUnprivileged([&] {
        return !Load() && Messages() == std::vector<std::string>{expected};
    });
    if (!shown)
        GTEST_SKIP() << "can't drop root here";
    EXPECT_TRUE(*shown);
}
#endif

TEST_F(PackageLoad, SizeLimitAndMapWindowBoundariesAreAccepted)
{
    struct Case {
        const char* what;
        std::function<void(PackageSpec&)> edit;
        uint64_t fileLength;  // 0: as built
    };
    // A file of exactly the limit can't keep the payload in whole pages; the
    // largest one that does is a page shorter.
    constexpr uint64_t kLargest = 0x7F00000 - 128;
    const Case cases[] = {
        {"file one page short of the limit",
         [](PackageSpec& s) { s.editPayload = [](std::vector<uint8_t>& p) { p.resize(kLargest - 1024, 0xFF); }; },
         kLargest},
        {"map with random block ending at the window's end",
         [](PackageSpec& s) { s.map->address = 0x40800000 - 0x400 - 256; }, 0},
        {"map of size 0", [](PackageSpec& s) { s.map->data.clear(); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PackageSpec contents = SamplePackageSpec();
        c.edit(contents);
        WritePackage(contents);
        m_prompter.Clear();
        EXPECT_TRUE(Load());
        EXPECT_EQ(Messages(), std::vector<std::string>{});
        EXPECT_NE(CurrentPackage().m_mapImage, nullptr);
        if (c.fileLength) {
            EXPECT_EQ(CurrentPackage().m_packageLength, c.fileLength - 1024);
        }
    }
}

TEST_F(PackageLoad, ReleaseNumberChoosesTheFileName)
{
    struct Case {
        const char* what;
        ReleaseProbeFunction probe;
        bool genericPresent;
        bool specificPresent;
        bool loads;
        int deviceSpecific;
        const char* updateTime;  // of the file that was loaded
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"release 0100 loads its own file", Release0100Probe, true, true, true, 1, "specific", {}},
        {"release 0100 never falls back to the generic file", Release0100Probe, true, false, false, 1, nullptr,
         {Explained(kOpenFailed, "找不到该文件（版本号为 0100 的设备只用这个专用的升级文件）", "KT7_Down0100.dat")}},
        {"release 0000 or 5512 uses the generic file", GenericProbe, true, true, true, 0, "generic", {}},
        {"no device: one message, then the generic file", NoDeviceProbe, true, true, true, 0, "generic",
         {kConnectDevice}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(PackagePath());
        std::filesystem::remove(PackagePath("KT7_Down0100.dat"));
        PackageSpec contents = SamplePackageSpec();
        contents.updateTime = "generic";
        if (c.genericPresent)
            WritePackage(contents);
        contents.updateTime = "specific";
        if (c.specificPresent)
            WritePackage(contents, "KT7_Down0100.dat");
        m_prompter.Clear();
        EXPECT_EQ(Load(c.probe), c.loads);
        EXPECT_EQ(m_deviceSpecific, c.deviceSpecific);
        EXPECT_EQ(Messages(), c.messages);
        if (c.updateTime) {
            EXPECT_NE(m_summary.find(std::string("Update Time:") + c.updateTime + "\r\n"), std::string::npos);
        }
    }
}

TEST_F(PackageLoad, ChoiceIsLoadedAndRecordedAsThePackageInUse)
{
    PackageTempDir downloads;
    PackageSpec contents = SamplePackageSpec();
    contents.updateTime = "beside";
    WritePackage(contents);
    contents.updateTime = "chosen";
    WriteBytesToFile(downloads.File("KT7_Down (1).dat"), BuildPackageFile(contents));

    g_packageChoice = downloads.File("KT7_Down (1).dat");
    ASSERT_TRUE(Load());
    EXPECT_NE(m_summary.find("Update Time:chosen\r\n"), std::string::npos);
    EXPECT_EQ(CurrentPackage().m_packagePath, g_packageChoice);
    EXPECT_TRUE(CurrentPackage().m_packageFound);

    g_packageChoice = downloads.Path();  // a folder without KT7_Down.dat
    EXPECT_FALSE(Load());
    EXPECT_EQ(Messages(),
              std::vector<std::string>{std::string(kOpenFailed) + "\n" + downloads.File("KT7_Down.dat") + "：找不到该文件"});
    EXPECT_EQ(CurrentPackage().m_packagePath, downloads.File("KT7_Down.dat"));
    EXPECT_FALSE(CurrentPackage().m_packageFound);
}

TEST_F(PackageLoad, ReplacingWithABadFileKeepsThePackageInUse)
{
    PackageSpec contents = SamplePackageSpec();
    contents.updateTime = "first";
    WritePackage(contents);
    ASSERT_TRUE(Load());
    const std::string firstPath = CurrentPackage().m_packagePath;
    const uint32_t firstLength = CurrentPackage().m_packageLength;

    WriteBytesToFile(PackagePath("short.dat"), {'K', 'T', '7'});
    ScopedServices scope({.clock = &m_clock, .prompter = &m_prompter});
    std::string summary = "untouched";
    EXPECT_FALSE(ReplacePackage(PackagePath("short.dat"), &summary));
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(summary, "untouched");
    EXPECT_EQ(CurrentPackage().m_packagePath, firstPath);
    EXPECT_EQ(CurrentPackage().m_packageLength, firstLength);
    EXPECT_NE(CurrentPackage().m_packageData, nullptr);

    contents.updateTime = "second";
    WriteBytesToFile(PackagePath("second.dat"), BuildPackageFile(contents));
    ASSERT_TRUE(ReplacePackage(PackagePath("second.dat"), &summary));
    EXPECT_NE(summary.find("Update Time:second\r\n"), std::string::npos);
    EXPECT_EQ(CurrentPackage().m_packagePath, PackagePath("second.dat"));
}

TEST_F(PackageLoad, ParsingBytesGivesTheSameAsLoadingTheFile)
{
    std::vector<uint8_t> file = BuildPackageFile(SamplePackageSpec());
    WriteBytesToFile(PackagePath(), file);
    MapRandomBlock random = MakeMapRandomBlock(77);
    LoadedPackage fromFile, fromBytes;
    ASSERT_FALSE(LoadPackageFromFile(PackagePath(), random, &fromFile));
    ASSERT_EQ(ParsePackageFile(file.data(), file.size(), random, &fromBytes), nullptr);
    EXPECT_EQ(fromBytes.summary, fromFile.summary);
    ASSERT_EQ(fromBytes.length, fromFile.length);
    ASSERT_EQ(fromBytes.capacity, fromFile.capacity);
    EXPECT_EQ(0, std::memcmp(fromBytes.data.get(), fromFile.data.get(), fromFile.capacity));
    ASSERT_EQ(fromBytes.mapImageCapacity, fromFile.mapImageCapacity);
    EXPECT_EQ(0, std::memcmp(fromBytes.mapImage.get(), fromFile.mapImage.get(), fromFile.mapImageCapacity));

    EXPECT_STREQ(ParsePackageFile(file.data(), 1000, random, &fromBytes), kReadError);
}

class PackageRead : public PackageLoad {
protected:
    // Allocates the payload buffer for a file of `length` bytes, as the
    // loader does after taking the length.
    void AllocateFor(uint64_t length)
    {
        m_read = LoadedPackage{};
        m_expected = length;
        ASSERT_EQ(AllocatePayload(length, &m_read), nullptr);
    }
    PackageFailure Read() { return ReadPackageInto(PackagePath(), m_expected, &m_read); }

    LoadedPackage m_read;
    uint64_t m_expected = 0;
};

TEST_F(PackageRead, FileWhoseLengthChangedIsRefusedWithoutOverrun)
{
    std::vector<uint8_t> file = BuildPackageFile(SamplePackageSpec());
    WritePackage(SamplePackageSpec());
    struct Case {
        const char* what;
        int64_t change;  // file length now minus the length the buffer was sized for
    };
    // Growth within the 512 + 1024 spare bytes must be refused as well.
    const Case cases[] = {{"grew by a byte", 1}, {"grew within the slack", 1000}, {"grew past the slack", 5000},
                          {"shrank by a byte", -1}, {"shrank to the key block", -int64_t(file.size() - 1024)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AllocateFor(file.size() - c.change);
        EXPECT_STREQ(Read().message, kReadError);
        EXPECT_EQ(m_read.length, 0u);
    }

    AllocateFor(file.size());
    ASSERT_FALSE(Read());
    EXPECT_EQ(m_read.length, file.size() - 1024);
}

TEST_F(PackageRead, MissingFileIsReportedByTheReader)
{
    AllocateFor(4096);
    EXPECT_STREQ(Read().message, kNotFound);
}

} // namespace
