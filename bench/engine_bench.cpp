// What the update costs the host. With the instant simulator the program and
// the simulated firmware are all there is, so reports per second show the
// host's cost per report (it must stay far above the 1000 reports per second
// of a full-speed link). With usb timing on the real clock, a whole update
// must take no more than the device's own time plus the run's fixed waits.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "engine/ProgressPage.h"
#include "engine/UpdateJob.h"
#include "engine/UpdateRun.h"
#include "hid/DeviceSet.h"
#include "package/MapImage.h"
#include "package/PackageParser.h"
#include "package/PackageWriter.h"
#include "platform/Clock.h"
#include "platform/Diagnostics.h"
#include "sim/SimConfig.h"
#include "sim/SimulatedBackend.h"

namespace {

class NullPage final : public ProgressPage {
public:
    void OnProgress(const ProgressEvent& event) override
    {
        if (event.change == ProgressEvent::Change::Status)
            lastStatus = event.statusText;
    }
    void ShowMessage(const std::string& text, const DeviceFailure*) override { messages.push_back(text); }
    std::string lastStatus;
    std::vector<std::string> messages;
};

std::vector<uint8_t> Bytes(size_t length, uint8_t seed)
{
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>(i * 31 + seed + (i >> 8));
    return bytes;
}

PackageSpec BenchPackage(size_t mainBytes)
{
    PackageSpec contents;
    contents.main = PackageArea{Bytes(mainBytes, 1), 0x40010000u, "B001"};
    contents.keyBlock = MakeKeyBlock(7);
    return contents;
}

std::shared_ptr<const LoadedPackage> LoadBenchPackage(const PackageSpec& contents)
{
    const std::vector<uint8_t> file = BuildPackageFile(contents);
    auto package = std::make_shared<LoadedPackage>();
    if (ParsePackageFile(file.data(), file.size(), MakeMapRandomBlock(1), package.get()))
        return nullptr;
    return package;
}

struct RunResult {
    bool ok = false;
    uint64_t reports = 0;
};

RunResult RunOnce(const std::string& simulate, Clock& clock, const PackageSpec& contents)
{
    SimConfig config;
    std::string error;
    ParseSimConfig(simulate, &config, &error);
    SimulatedBackend backend(config, clock);
    CapturingDiagnostics diagnostics;
    DeviceSet devices(backend, clock, diagnostics);
    devices.IsDevicePresent();
    RunResult result;
    UpdateJob job(devices, LoadBenchPackage(contents));
    if (!job.package)
        return result;
    NullPage page;
    UpdateThreadProc(&page, job);
    result.ok = page.messages.empty() && job.progress.m_outcome.load() == UpdateOutcome::Success;
    result.reports = backend.ReportCount(0);
    return result;
}

// A whole update of 512 KiB on the instant simulator and the virtual clock.
void BM_InstantUpdateReports(benchmark::State& state)
{
    const PackageSpec contents = BenchPackage(512 * 1024);
    uint64_t reports = 0;
    for (auto _ : state) {
        VirtualClock clock;
        const RunResult result = RunOnce("devices=1", clock, contents);
        if (!result.ok) {
            state.SkipWithError("update failed");
            return;
        }
        reports += result.reports;
    }
    state.counters["reports_per_s"] = benchmark::Counter(static_cast<double>(reports), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_InstantUpdateReports)->UseRealTime()->Unit(benchmark::kMillisecond);

// A 64 KiB update at USB speed on the real clock. The design's own time is
// one millisecond per report plus 34 ms per erased sector, and the fixed
// waits of the reset phase: 1 s, one attempt per second until the device is
// back (two with the default 1.5 s re-attach), and 1 s more.
void BM_UsbUpdateWallTime(benchmark::State& state)
{
    constexpr size_t kMainBytes = 64 * 1024;
    constexpr uint64_t kErasedSectors = kMainBytes / 4096 + 2;  // the area and both control blocks
    constexpr uint64_t kFixedWaitsMs = 1000 + 2 * 1000 + 1000;
    const PackageSpec contents = BenchPackage(kMainBytes);
    for (auto _ : state) {
        SteadyClock clock;
        const auto start = std::chrono::steady_clock::now();
        const RunResult result = RunOnce("devices=1;timing=usb", clock, contents);
        const double wallMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (!result.ok) {
            state.SkipWithError("update failed");
            return;
        }
        const double expectedMs = static_cast<double>(result.reports + kErasedSectors * 34 + kFixedWaitsMs);
        state.counters["wall_ms"] = wallMs;
        state.counters["design_ms"] = expectedMs;
        state.counters["excess_pct"] = (wallMs - expectedMs) * 100.0 / expectedMs;
        state.counters["reports"] = static_cast<double>(result.reports);
    }
}
BENCHMARK(BM_UsbUpdateWallTime)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
