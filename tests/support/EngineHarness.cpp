#include "support/EngineHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <stdexcept>

#include "engine/UpdateRun.h"
#include "hid/Protocol.h"
#include "package/MapImage.h"
#include "package/PackageParser.h"
#include "platform/FlashGeometry.h"
#include "sim/SimConfig.h"

namespace {

std::unique_ptr<SimulatedBackend> MakeBackend(const std::string& simulate, Clock& clock)
{
    SimConfig config;
    std::string error;
    if (!ParseSimConfig(simulate, &config, &error))
        throw std::invalid_argument("bad simulation text: " + error);
    return std::make_unique<SimulatedBackend>(config, clock);
}

} // namespace

EngineHarness::EngineHarness(const std::string& simulate) : m_backend(MakeBackend(simulate, clock))
{
    // A run acts on the devices counted when the user chose to go on.
    devices.IsDevicePresent();
}

bool EngineHarness::Install(const PackageSpec& contents, uint32_t mapSeed, std::string* error)
{
    const std::vector<uint8_t> file = BuildPackageFile(contents);
    auto package = std::make_shared<LoadedPackage>();
    const char* failure = ParsePackageFile(file.data(), file.size(), MakeMapRandomBlock(mapSeed), package.get());
    if (failure) {
        if (error)
            *error = failure;
        return false;
    }
    m_package = package;
    job.package = m_package;
    return true;
}

void EngineHarness::InstallPayload(const std::vector<uint8_t>& payload, uint32_t mapSeed)
{
    auto shared = std::make_shared<LoadedPackage>();
    LoadedPackage& package = *shared;
    package.length = static_cast<uint32_t>(payload.size());
    package.capacity = package.length + 512;
    package.data = std::make_unique<uint8_t[]>(package.capacity);
    std::memset(package.data.get(), 0xFF, package.capacity);
    std::memcpy(package.data.get(), payload.data(), payload.size());
    package.header = ParsePackageHeader(payload.data(), payload.size());
    const PackageHeader& h = package.header;
    if (h.mapSize != kAreaAbsent && h.mapSize <= 0x7F00000u) {
        const uint32_t capacity = h.mapSize + 1024;
        auto image = std::make_unique<uint8_t[]>(capacity);
        if (FillMapImage(image.get(), capacity, package.data.get(), package.length, package.header,
                         MakeMapRandomBlock(mapSeed))) {
            package.mapImage = std::move(image);
            package.mapImageCapacity = capacity;
        }
    }
    m_package = shared;
    job.package = m_package;
}

PackageSpec ThreeAreaSpec()
{
    PackageSpec contents;
    contents.main = PackageArea{PatternBytes(0x2400, 1), 0x40010000u, "M101"};
    contents.voice = PackageArea{PatternBytes(0x1800, 2), 0x40100000u, "V202"};
    contents.map = PackageArea{PatternBytes(0x1F00, 3), 0x40200000u, "D303"};
    contents.mapScrambleLength = 0x100;
    contents.updateTime = "2026-12-10";
    contents.keyBlock = MakeKeyBlock(42);
    return contents;
}

PackageSpec MainOnlySpec()
{
    PackageSpec contents;
    contents.main = PackageArea{PatternBytes(0x3000, 4), 0x40010000u, "M101"};
    contents.updateTime = "2026-12-10";
    contents.keyBlock = MakeKeyBlock(43);
    return contents;
}

std::vector<uint8_t> FlashBytes(const SimFirmware& firmware, uint32_t address, size_t length)
{
    std::vector<uint8_t> bytes(length);
    firmware.ReadFlash(address - kFlashBase, bytes.data(), length);
    return bytes;
}

uint32_t FlashWord(const SimFirmware& firmware, uint32_t address)
{
    const std::vector<uint8_t> bytes = FlashBytes(firmware, address, 4);
    return LoadLe32(bytes.data());
}

void RunWorker(EngineHarness& harness)
{
    auto done = std::async(std::launch::async, [&harness] { return UpdateThreadProc(&harness.page, harness.job); });
    if (done.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        std::fprintf(stderr, "update run hangs\n");
        std::abort();
    }
    EXPECT_EQ(done.get(), 1);
    EXPECT_EQ(harness.job.progress.m_bDone.load(), 1);
}

bool NeverDecreases(const std::vector<int>& values)
{
    return std::is_sorted(values.begin(), values.end());
}

uint32_t ChunkSums(const std::vector<uint8_t>& bytes)
{
    uint32_t total = 0;
    for (size_t at = 0; at < bytes.size(); at += 256) {
        uint8_t chunk[256];
        std::memset(chunk, 0xFF, sizeof chunk);
        std::memcpy(chunk, bytes.data() + at, std::min<size_t>(256, bytes.size() - at));
        total += HidChecksum(chunk, 256);
    }
    return total;
}
