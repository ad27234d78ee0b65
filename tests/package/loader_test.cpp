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
#include "package/LoadPackage.h"
#include "package/MapImage.h"
#include "package/Package.h"
#include "package/PackageBuffers.h"
#include "package/PackageParser.h"
#include "package/PackageReader.h"
#include "package/PackageWriter.h"
#include "platform/Clock.h"

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
constexpr char kShortAdvice[] = "文件太短，已损坏，请重新下载升级文件";
constexpr char kDamagedAdvice[] = "文件已损坏，请重新下载升级文件";

constexpr uint32_t kTicks = 4242;

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

class PackageLoading : public testing::Test {
protected:
    void TearDown() override { SetPackageAllocator(nullptr); }

    std::string PackagePath(const char* name = "KT7_Down.dat") const { return m_dir.File(name); }
    void WritePackage(const PackageSpec& contents, const char* name = "KT7_Down.dat") const
    {
        WriteBytesToFile(PackagePath(name), BuildPackageFile(contents));
    }
    // Loads for a device of `releaseText` (empty: generic) from the test's
    // folder, which stands for the program's, or from `m_choice` when set.
    bool Load(const std::string& releaseText = "")
    {
        m_load = LoadPackage({m_choice, m_dir.Path(), ""}, releaseText, kTicks);
        m_messages.clear();
        if (!m_load)
            m_messages.push_back(m_load.message);
        return static_cast<bool>(m_load);
    }
    std::vector<std::string> Messages() const { return m_messages; }
    const LoadedPackage& Loaded() const { return *m_load.package; }
    std::string Summary() const { return m_load ? m_load.package->summary : std::string(); }
    // A message box text: the message, then the file and what is wrong with it.
    std::string Explained(const char* message, const std::string& explanation,
                          const char* name = "KT7_Down.dat") const
    {
        return std::string(message) + "\n" + PackagePath(name) + "：" + explanation;
    }

    PackageTempDir m_dir;
    std::string m_choice;
    PackageLoad m_load;
    std::vector<std::string> m_messages;
};

TEST_F(PackageLoading, FillsThePackageStateAndTheSummary)
{
    PackageSpec contents = SamplePackageSpec();
    contents.mapScrambleLength = 0x5000;  // above the map size: clipped
    WritePackage(contents);

    ASSERT_TRUE(Load());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Summary(),
              "\r\nSolution:KT7.0\r\nUpdate Time:2026-12-10\r\nSoftware Ver:SW1.12\r\nFirmware Ver:M101\r\n"
              "Voice Ver:V202\r\nData Ver:D303");

    std::vector<uint8_t> payload = BuildPackagePayload(contents);
    ASSERT_EQ(Loaded().length, payload.size());
    EXPECT_EQ(Loaded().capacity, payload.size() + 1024 + 512);
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), Loaded().data.get()));
    for (uint32_t i = Loaded().length; i < Loaded().capacity; ++i)
        ASSERT_EQ(Loaded().data[i], 0xFF) << "slack byte " << i;

    EXPECT_EQ(Loaded().header.mapSize, 0x400u);
    EXPECT_EQ(Loaded().header.mapScrambleLength, 0x400u);
    EXPECT_EQ(Loaded().header.mainAddress, 0x40010000u);

    PackageHeader header = ParsePackageHeader(payload.data(), payload.size());
    std::vector<uint8_t> expectedImage(0x400 + 1024);
    ASSERT_TRUE(FillMapImage(expectedImage.data(), expectedImage.size(), payload.data(), payload.size(), header,
                             MakeMapRandomBlock(kTicks)));
    ASSERT_EQ(Loaded().mapImageCapacity, expectedImage.size());
    EXPECT_TRUE(std::equal(expectedImage.begin(), expectedImage.end(), Loaded().mapImage.get()));
}

TEST_F(PackageLoading, WithoutMapThereIsNoMapImage)
{
    PackageSpec contents = SamplePackageSpec();
    contents.map.reset();
    // Too close to the window's end for a random block: would fail the map checks.
    contents.editHeader = [](PackageHeader& h) { h.mapAddress = 0x40800000 - 0x80; };
    WritePackage(contents);
    ASSERT_TRUE(Load());
    EXPECT_EQ(Loaded().mapImage, nullptr);
    EXPECT_EQ(Loaded().header.mapSize, kAreaAbsent);
}

// Such a payload is refused by the package checks; the summary made before
// them shows its header read as zeros past the payload's end.
TEST_F(PackageLoading, PayloadShorterThanTheHeaderReadsAsZeros)
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
    EXPECT_EQ(m_load.package, nullptr);

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

TEST_F(PackageLoading, EveryFailureShowsItsMessageAndLeavesNothingLoaded)
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
        if (c.allocationsBeforeFailure >= 0) {
            g_allocationsLeft = c.allocationsBeforeFailure;
            SetPackageAllocator(FailingAllocator);
        }
        FifoWatch watch(PackagePath());
        EXPECT_FALSE(Load());
        EXPECT_FALSE(watch.Released()) << "the load waited for a writer";
        SetPackageAllocator(nullptr);
        EXPECT_EQ(Messages(), std::vector<std::string>{Explained(c.message, c.explanation)});
        EXPECT_EQ(m_load.package, nullptr);
    }
}

#ifndef _WIN32  // file modes and a user without rights are POSIX matters
TEST_F(PackageLoading, UnreadableFileSaysPermissionDenied)
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

TEST_F(PackageLoading, SizeLimitAndMapWindowBoundariesAreAccepted)
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
        ASSERT_TRUE(Load());
        EXPECT_EQ(Messages(), std::vector<std::string>{});
        EXPECT_NE(Loaded().mapImage, nullptr);
        if (c.fileLength) {
            EXPECT_EQ(Loaded().length, c.fileLength - 1024);
        }
    }
}

TEST_F(PackageLoading, ReleaseNumberChoosesTheFileName)
{
    struct Case {
        const char* what;
        const char* releaseText;
        bool genericPresent;
        bool specificPresent;
        bool loads;
        const char* updateTime;  // of the file that was loaded
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"release 0100 loads its own file", "0100", true, true, true, "specific", {}},
        {"release 0100 never falls back to the generic file", "0100", true, false, false, nullptr,
         {Explained(kOpenFailed, "找不到该文件（版本号为 0100 的设备只用这个专用的升级文件）", "KT7_Down0100.dat")}},
        {"release 0000 or 5512 uses the generic file", "", true, true, true, "generic", {}},
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
        EXPECT_EQ(Load(c.releaseText), c.loads);
        EXPECT_EQ(Messages(), c.messages);
        EXPECT_FALSE(m_load.named) << "a release number chose it";
        if (c.updateTime) {
            EXPECT_NE(Summary().find(std::string("Update Time:") + c.updateTime + "\r\n"), std::string::npos);
        }
    }
}

TEST_F(PackageLoading, ChoiceIsLoadedAndSaysWhereItCameFrom)
{
    PackageTempDir downloads;
    PackageSpec contents = SamplePackageSpec();
    contents.updateTime = "beside";
    WritePackage(contents);
    contents.updateTime = "chosen";
    WriteBytesToFile(downloads.File("KT7_Down (1).dat"), BuildPackageFile(contents));

    m_choice = downloads.File("KT7_Down (1).dat");
    ASSERT_TRUE(Load("0100"));
    EXPECT_NE(Summary().find("Update Time:chosen\r\n"), std::string::npos);
    EXPECT_EQ(m_load.path, m_choice);
    EXPECT_EQ(Loaded().path, m_choice);
    EXPECT_TRUE(m_load.found);
    EXPECT_TRUE(m_load.named) << "a named file is used whatever the devices' release";

    m_choice = downloads.Path();  // a folder without KT7_Down.dat
    EXPECT_FALSE(Load());
    EXPECT_EQ(Messages(),
              std::vector<std::string>{std::string(kOpenFailed) + "\n" + downloads.File("KT7_Down.dat") + "：找不到该文件"});
    EXPECT_EQ(m_load.path, downloads.File("KT7_Down.dat"));
    EXPECT_FALSE(m_load.found);
    EXPECT_FALSE(m_load.named) << "in a named folder the release number chooses";
}

TEST_F(PackageLoading, ANamedFileTellsAMissingFileFromADamagedOne)
{
    WriteBytesToFile(PackagePath("short.dat"), {'K', 'T', '7'});
    const PackageLoad damaged = LoadPackageFile(PackagePath("short.dat"), kTicks);
    EXPECT_FALSE(damaged);
    EXPECT_TRUE(damaged.found);
    EXPECT_EQ(damaged.message, Explained(kReadError, kShortAdvice, "short.dat"));

    const PackageLoad missing = LoadPackageFile(PackagePath("gone.dat"), kTicks);
    EXPECT_FALSE(missing);
    EXPECT_FALSE(missing.found);

    PackageSpec contents = SamplePackageSpec();
    contents.updateTime = "second";
    WriteBytesToFile(PackagePath("second.dat"), BuildPackageFile(contents));
    const PackageLoad second = LoadPackageFile(PackagePath("second.dat"), kTicks);
    ASSERT_TRUE(second);
    EXPECT_TRUE(second.named);
    EXPECT_NE(second.package->summary.find("Update Time:second\r\n"), std::string::npos);
    EXPECT_EQ(second.package->path, PackagePath("second.dat"));
    EXPECT_EQ(second.package->fileSize, BuildPackageFile(contents).size());
}

TEST_F(PackageLoading, ParsingBytesGivesTheSameAsLoadingTheFile)
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

class PackageRead : public PackageLoading {
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
