// How true the status line's time estimate is: a whole update at USB speed
// on the simulator, on a virtual clock (so it takes no real time), noting at
// 10 %, 50 % and 90 % the estimate the line shows, the design's fixed-rate
// estimate, and the time that then actually remained. One device, and four
// in step.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

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

struct Sample {
    uint64_t atMs = 0;
    int percent = 0;
    uint32_t shownMs = 0;
    uint32_t designMs = 0;
};

class SamplingPage final : public ProgressPage {
public:
    SamplingPage(VirtualClock& clock, const ProgressState& progress) : m_clock(clock), m_progress(progress) {}
    void OnProgress(const ProgressEvent& event) override
    {
        if (event.change == ProgressEvent::Change::Status)
            samples.push_back({m_clock.NowMs(), event.percent, event.remainMs, m_progress.m_nRemainMs});
    }
    void ShowMessage(const std::string&, const DeviceFailure*) override { failed = true; }

    std::vector<Sample> samples;
    bool failed = false;

private:
    VirtualClock& m_clock;
    const ProgressState& m_progress;
};

// The demo's package: 160 KiB of main program and of voice, 192 KiB of map.
std::shared_ptr<const LoadedPackage> DemoPackage()
{
    auto bytes = [](size_t length, uint8_t seed) {
        std::vector<uint8_t> data(length);
        for (size_t i = 0; i < length; ++i)
            data[i] = static_cast<uint8_t>(i * 31 + seed + (i >> 8));
        return data;
    };
    PackageSpec contents;
    contents.main = PackageArea{bytes(160 * 1024, 1), 0x40010000u, "V112"};
    contents.voice = PackageArea{bytes(160 * 1024, 2), 0x40040000u, "V205"};
    contents.map = PackageArea{bytes(192 * 1024, 3), 0x40080000u, "D318"};
    contents.mapScrambleLength = 4096;
    contents.keyBlock = MakeKeyBlock(7);
    const std::vector<uint8_t> file = BuildPackageFile(contents);
    auto package = std::make_shared<LoadedPackage>();
    if (ParsePackageFile(file.data(), file.size(), MakeMapRandomBlock(1), package.get()))
        return nullptr;
    return package;
}

void BM_EstimateAgainstTheTimeLeft(benchmark::State& state)
{
    const int devices = static_cast<int>(state.range(0));
    for (auto _ : state) {
        VirtualClock clock;
        SimConfig config;
        std::string error;
        ParseSimConfig("timing=usb;devices=" + std::to_string(devices), &config, &error);
        SimulatedBackend backend(config, clock);
        NullDiagnostics log;
        DeviceSet set(backend, clock, log);
        set.IsDevicePresent();
        UpdateJob job(set, DemoPackage());
        SamplingPage page(clock, job.progress);
        UpdateThreadProc(&page, job);
        if (page.failed || job.progress.m_outcome.load() != UpdateOutcome::Success) {
            state.SkipWithError("update failed");
            return;
        }
        const uint64_t endMs = clock.NowMs();
        state.counters["total_s"] = static_cast<double>(endMs) / 1000.0;
        for (int mark : {10, 50, 90}) {
            for (const Sample& sample : page.samples) {
                if (sample.percent < mark)
                    continue;
                const std::string at = std::to_string(mark);
                state.counters["left_s_at_" + at] = static_cast<double>(endMs - sample.atMs) / 1000.0;
                state.counters["shown_s_at_" + at] = sample.shownMs / 1000.0;
                state.counters["design_s_at_" + at] = sample.designMs / 1000.0;
                break;
            }
        }
    }
}
BENCHMARK(BM_EstimateAgainstTheTimeLeft)->ArgName("devices")->Arg(1)->Arg(4)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
