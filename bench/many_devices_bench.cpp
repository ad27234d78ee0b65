// N devices at USB speed on the real clock, updated in step (every operation
// visits every device in turn) or in parallel (a worker per device, each with
// its own view of the bus and its own session). In step the time grows with
// N; in parallel it should stay within 10 % of one device's. With verify
// every area and block is read back as well.

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "engine/ProgressPage.h"
#include "engine/UpdateJob.h"
#include "engine/UpdateRun.h"
#include "hid/DeviceSet.h"
#include "package/MapImage.h"
#include "package/PackageParser.h"
#include "package/PackageWriter.h"
#include "platform/Clock.h"
#include "platform/DeviceSelection.h"
#include "platform/Diagnostics.h"
#include "sim/SimConfig.h"
#include "sim/SimulatedBackend.h"

namespace {

class NullPage final : public ProgressPage {
public:
    void OnProgress(const ProgressEvent&) override {}
    void ShowMessage(const std::string&, const DeviceFailure*) override {}
};

// 64 KiB of main program: long enough that the data dominates the reports.
std::vector<uint8_t> PackageFile()
{
    PackageSpec contents;
    std::vector<uint8_t> bytes(64 * 1024);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 31 + (i >> 8));
    contents.main = PackageArea{bytes, 0x40010000u, "B001"};
    contents.keyBlock = MakeKeyBlock(7);
    return BuildPackageFile(contents);
}

std::shared_ptr<const LoadedPackage> Load(const std::vector<uint8_t>& file)
{
    auto package = std::make_shared<LoadedPackage>();
    if (ParsePackageFile(file.data(), file.size(), MakeMapRandomBlock(1), package.get()))
        return nullptr;
    return package;
}

// Updates the devices `backend` shows with `package`, on the calling thread.
// True on success.
bool Update(HidBackend& backend, Clock& clock, DiagnosticsSink& log, std::shared_ptr<const LoadedPackage> package,
            bool verify)
{
    DeviceSet devices(backend, clock, log);
    devices.IsDevicePresent();
    UpdateJob job(devices, std::move(package));
    job.progress.m_verify = verify;
    NullPage page;
    UpdateThreadProc(&page, job);
    return job.progress.m_outcome.load() == UpdateOutcome::Success;
}

void BM_ManyDevicesUsb(benchmark::State& state)
{
    const int devices = static_cast<int>(state.range(0));
    const bool parallel = state.range(1) != 0;
    const bool verify = state.range(2) != 0;
    // One package for every device, as a parallel run shares it.
    const std::shared_ptr<const LoadedPackage> package = Load(PackageFile());
    for (auto _ : state) {
        SteadyClock clock;
        SimConfig config;
        std::string error;
        ParseSimConfig("timing=usb;devices=" + std::to_string(devices), &config, &error);
        SimulatedBackend backend(config, clock);
        CapturingDiagnostics diagnostics;

        const auto start = std::chrono::steady_clock::now();
        std::vector<char> ok(devices, 0);
        if (parallel) {
            std::vector<std::thread> workers;
            for (int i = 0; i < devices; ++i) {
                workers.emplace_back([&, i] {
                    DeviceSelectionBackend view(backend, {"sim-" + std::to_string(i)});
                    ok[i] = Update(view, clock, diagnostics, package, verify);
                });
            }
            for (std::thread& worker : workers)
                worker.join();
        } else {
            std::fill(ok.begin(), ok.end(), Update(backend, clock, diagnostics, package, verify));
        }
        const double wallMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (std::count(ok.begin(), ok.end(), 1) != devices) {
            state.SkipWithError("update failed");
            return;
        }
        state.counters["wall_ms"] = wallMs;
    }
}
BENCHMARK(BM_ManyDevicesUsb)
    ->ArgNames({"devices", "parallel", "verify"})
    ->ArgsProduct({{1, 2, 4, 8}, {0, 1}, {0, 1}})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
