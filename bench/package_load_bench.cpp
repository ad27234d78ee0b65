// Loading a package of the largest allowed size against a plain read of the
// same file into memory. The load reads once into the payload buffer and
// descrambles in place, so it should stay within 1.5 times the plain read.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "package/MapImage.h"
#include "package/PackageReader.h"
#include "package/PackageWriter.h"

namespace {

// Areas that fill the device's flash window: the largest package the loader
// takes for a real device (a longer file would not fit the flash).
constexpr uint32_t kMainSize = 0x200000;
constexpr uint32_t kVoiceSize = 0x400000;
constexpr uint32_t kMapSize = 0x100000;  // scrambled in full
constexpr uint32_t kFileLength = kKeyBlockSize + kPackageHeaderSize + kMainSize + kVoiceSize + kMapSize;

std::string g_directory;

void RemoveBenchDirectory()
{
    std::error_code ignored;
    std::filesystem::remove_all(g_directory, ignored);
}

std::vector<uint8_t> Filler(size_t length, uint32_t seed)
{
    std::vector<uint8_t> bytes(length);
    uint32_t state = seed;
    for (auto& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<uint8_t>(state >> 24);
    }
    return bytes;
}

// The package: main program, voice and map. Written once per run.
const std::string& PackagePath()
{
    static const std::string path = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "kt7-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        g_directory = pattern;
        std::atexit(RemoveBenchDirectory);

        PackageSpec contents;
        contents.padAreasToPages = false;
        contents.main = PackageArea{Filler(kMainSize, 1), 0x40010000u, "B001"};
        contents.voice = PackageArea{Filler(kVoiceSize, 2), 0x40210000u, "B002"};
        contents.map = PackageArea{Filler(kMapSize, 3), 0x40640000u, "B003"};
        contents.mapScrambleLength = kMapSize;
        contents.updateTime = "2026-12-10";
        std::string file = g_directory + "/KT7_Down.dat";
        std::string error;
        if (!WritePackageFile(file, contents, &error) || std::filesystem::file_size(file) != kFileLength) {
            std::fprintf(stderr, "cannot write the benchmark package: %s\n", error.c_str());
            std::abort();
        }
        return file;
    }();
    return path;
}

void PlainRead(benchmark::State& state)
{
    const std::string& path = PackagePath();
    for (auto _ : state) {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        ::fstat(fd, &info);
        size_t length = static_cast<size_t>(info.st_size);
        std::unique_ptr<uint8_t[]> buffer(new uint8_t[length]);
        size_t done = 0;
        while (done < length) {
            ssize_t n = ::read(fd, buffer.get() + done, length - done);
            if (n <= 0)
                break;
            done += static_cast<size_t>(n);
        }
        ::close(fd);
        if (done != length)
            state.SkipWithError("short read");
        benchmark::DoNotOptimize(buffer.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kFileLength);
}

void LoadPackage(benchmark::State& state)
{
    const std::string& path = PackagePath();
    MapRandomBlock random = MakeMapRandomBlock(1);
    for (auto _ : state) {
        LoadedPackage package;
        if (PackageFailure failure = LoadPackageFromFile(path, random, &package))
            state.SkipWithError(failure.message);
        benchmark::DoNotOptimize(package.data.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kFileLength);
}

} // namespace

BENCHMARK(PlainRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LoadPackage)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
