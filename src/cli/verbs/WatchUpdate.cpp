#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "cli/RecordsOptions.h"
#include "cli/terminal/Bell.h"
#include "cli/terminal/ConsoleRedraw.h"
#include "cli/terminal/Results.h"
#include "cli/terminal/WatchDisplay.h"
#include "cli/verbs/Commands.h"
#include "cli/verbs/ParallelWorker.h"
#include "cli/verbs/UpdatedDevices.h"
#include "package/PackageShelf.h"
#include "platform/InterruptGuard.h"
#include "platform/UpdateLock.h"
#include "texts/UserTexts.h"
#include "wizard/PackageFileName.h"
#include "wizard/WatchPlan.h"

namespace {

// Listing the devices costs the bus a little; an interrupt is looked at more often.
constexpr uint32_t kListEveryMs = 500;
constexpr uint32_t kLookEveryMs = 100;

struct WatchedDevice {
    // Loaded for this device alone: a package file replaced during a long
    // watch is what the next device gets.
    std::unique_ptr<PackageShelf> packages;
    DeviceRun first;
    std::vector<DeviceRun> attempts;  // once `over`
    int row = 0;
    std::thread worker;
    std::atomic<bool> over{false};
};

class Watch {
public:
    Watch(RunContext& context, const PackagePlaces& places, WatchDisplay& display, const WorkerOptions& options)
        : m_context(context), m_places(places), m_display(display), m_options(options)
    {
    }
    ~Watch()
    {
        for (auto& device : m_devices)
            if (device->worker.joinable())
                device->worker.join();
    }

    void StartNewDevices()
    {
        const std::vector<HidDeviceInfo> present = UpdatedDevices(m_context.hid);
        std::vector<std::string> locations;
        for (const HidDeviceInfo& device : present)
            locations.push_back(device.location);
        for (const std::string& location : m_plan.Listed(locations)) {
            const auto info = std::find_if(present.begin(), present.end(),
                                           [&](const HidDeviceInfo& device) { return device.location == location; });
            Start(*info);
        }
    }

    // Joins the workers that are done and shows their results.
    void CollectEnded()
    {
        for (auto& device : m_devices) {
            if (!device->over.load() || !device->worker.joinable())
                continue;
            device->worker.join();
            const DeviceRun& run = device->attempts.back();
            m_plan.Finished(run.device.location);
            m_display.Ended(device->row, run.outcome == UpdateOutcome::Success,
                            ResultText(ExitCodeOf(run.outcome)) + "  " + DurationText(run.elapsedMs) +
                                (run.attempt > 1 ? FlashAttemptText(run.attempt) : ""));
        }
    }

    int InProgress() const { return m_plan.InProgress(); }

    std::vector<DeviceRun> Results() const
    {
        std::vector<DeviceRun> runs;
        for (const auto& device : m_devices)
            runs.insert(runs.end(), device->attempts.begin(), device->attempts.end());
        return runs;
    }

private:
    void Start(const HidDeviceInfo& info)
    {
        auto device = std::make_unique<WatchedDevice>();
        device->packages = std::make_unique<PackageShelf>(m_places, m_context.clock);
        device->first.device = info;
        device->first.package = PackageFileNameFor(info.releaseNumber);
        device->row = m_display.Started(info.location);
        WatchedDevice* watched = device.get();
        device->worker = std::thread([this, watched] {
            const WorkerSetup setup{m_context, m_display, *watched->packages, m_places, m_options};
            watched->attempts = RunWorker(setup, watched->row, watched->first);
            watched->over = true;
        });
        m_devices.push_back(std::move(device));
    }

    RunContext& m_context;
    const PackagePlaces m_places;
    WatchDisplay& m_display;
    const WorkerOptions m_options;
    WatchPlan m_plan;
    std::vector<std::unique_ptr<WatchedDevice>> m_devices;
};

} // namespace

int RunWatchUpdateCommand(const CliOptions& options, RunContext& context, const PackagePlaces& places,
                          const std::string& lockPath)
{
    UpdateLock lock(lockPath, context.diagnostics);
    if (!lock.Held()) {
        context.prompter.ShowMessage(kMsgAnotherUpdateRunning);
        return ExitCodeOf(UpdateOutcome::Locked);
    }
    // The watch tells of an interrupt itself: ending at once when no device
    // is being updated needs no notice.
    InterruptGuard guard(nullptr);
    WatchDisplay display(stderr, RedrawsInPlace(STDERR_FILENO) && !options.verbose);
    display.PrintLine(kFlashWatchingText);
    const CliRecords records = RecordsOf(options);
    RecordsWarningOnce recordsWarning;
    if (recordsWarning.First(records.warning))
        display.PrintLine(records.warning);
    Clock& clock = context.clock;
    Bell bell = TerminalBell(options.bell, clock);
    const WorkerOptions workerOptions{options.verify, options.expectedSha256, records.settings, &recordsWarning,
                                      options.retry, &bell, [&guard] { return guard.Interrupted(); }};
    std::vector<DeviceRun> results;
    {
        Watch watch(context, places, display, workerOptions);
        bool noticeShown = false;
        for (uint32_t sinceListing = kListEveryMs;; sinceListing += kLookEveryMs) {
            watch.CollectEnded();
            if (guard.Interrupted()) {
                if (watch.InProgress() == 0)
                    break;
                if (!noticeShown)
                    display.PrintLine(kFlashWatchStoppingNotice);
                noticeShown = true;
            } else if (sinceListing >= kListEveryMs) {
                sinceListing = 0;
                watch.StartNewDevices();
            }
            clock.Sleep(kLookEveryMs);
        }
        results = watch.Results();
    }
    display.Finish();

    if (!results.empty())
        PrintResultTable(results);
    return HighestExitCode(OutcomesOf(results));
}
