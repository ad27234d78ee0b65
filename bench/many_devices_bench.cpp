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
#include "engine/UpdateRun.h"
#include "engine/UpdateSession.h"
#include "package/MapImage.h"
#include "package/PackageParser.h"
#include "package/PackageWriter.h"
#include "platform/Clock.h"
#include "platform/DeviceSelection.h"
#include "platform/Diagnostics.h"
#include "platform/Prompter.h"
#include "platform/Services.h"
#include "sim/SimConfig.h"
#include "sim/SimulatedBackend.h"

namespace {

class NullPage final : public ProgressPage {
public:
    void SetAreaText(const std::string&) override {}
    void SetStatusText(const std::string&) override {}
    void PostProgressUpdate() override {}
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

// Loads the package into the session bound to the calling thread and runs
// the update there. True on success.
bool UpdateHere(const std::vector<uint8_t>& file)
{
    LoadedPackage package;
    if (ParsePackageFile(file.data(), file.size(), MakeMapRandomBlock(1), &package))
        return false;
    InstallLoadedPackage(std::move(package));
    NullPage page;
    UpdateThreadProc(&page);
    return page.m_outcome.load() == UpdateOutcome::Success;
}

void BM_ManyDevicesUsb(benchmark::State& state)
{
    const int devices = static_cast<int>(state.range(0));
    const bool parallel = state.range(1) != 0;
    const bool verify = state.range(2) != 0;
    const std::vector<uint8_t> file = PackageFile();
    for (auto _ : state) {
        SteadyClock clock;
        SimConfig config;
        std::string error;
        ParseSimConfig("timing=usb;devices=" + std::to_string(devices), &config, &error);
        SimulatedBackend backend(config, clock);
        RecordingPrompter prompter;
        CapturingDiagnostics diagnostics;
        ScopedServices scoped({.hid = &backend, .clock = &clock, .prompter = &prompter, .diagnostics = &diagnostics});

        const auto start = std::chrono::steady_clock::now();
        std::vector<char> ok(devices, 0);
        if (parallel) {
            std::vector<std::thread> workers;
            for (int i = 0; i < devices; ++i) {
                workers.emplace_back([&, i] {
                    DeviceSelectionBackend view(backend, {"sim-" + std::to_string(i)});
                    ScopedThreadServices own({.hid = &view});
                    UpdateSession session;
                    session.progress.m_verify = verify;
                    ScopedThreadSession bound(session);
                    ok[i] = UpdateHere(file);
                });
            }
            for (std::thread& worker : workers)
                worker.join();
        } else {
            UpdateSession session;
            session.progress.m_verify = verify;
            ScopedThreadSession bound(session);
            std::fill(ok.begin(), ok.end(), UpdateHere(file));
        }
        const double wallMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (std::count(ok.begin(), ok.end(), 1) != devices || !prompter.Messages().empty()) {
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
