// The update wizard without any face: every transition of its two pages as
// a table, on simulated devices and the virtual clock.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/UpdateLock.h"
#include "records/RecordsReading.h"
#include "support/EngineHarness.h"
#include "support/PackageTestFiles.h"
#include "texts/UserTexts.h"
#include "wizard/UpdateWizard.h"

namespace {

using ::testing::HasSubstr;

// What a face would draw of the device phase.
class RecordingView final : public DevicePhaseView {
public:
    void OnProgress(const ProgressEvent& event) override
    {
        std::lock_guard lock(m_mutex);
        events.push_back(event);
        if (onEvent)
            onEvent(event);
    }
    std::function<void(const ProgressEvent&)> onEvent;  // sees each event as it is drawn
    void ShowMessage(const std::string& text) override
    {
        std::lock_guard lock(m_mutex);
        messages.push_back(text);
    }
    std::vector<std::string> Statuses() const
    {
        std::vector<std::string> texts;
        for (const ProgressEvent& event : events)
            if (event.change == ProgressEvent::Change::Status)
                texts.push_back(event.statusText);
        return texts;
    }
    std::vector<UpdatePhase> Phases() const
    {
        std::vector<UpdatePhase> phases;
        for (const ProgressEvent& event : events)
            if (event.change == ProgressEvent::Change::Phase)
                phases.push_back(event.phase);
        return phases;
    }

    std::vector<ProgressEvent> events;
    std::vector<std::string> messages;

private:
    std::mutex m_mutex;
};

// Simulated devices, a folder that stands for the program's, and the setup
// a face would give the wizard.
struct Bed {
    explicit Bed(const std::string& simulate = "") : harness(simulate) {}
    void Write(const std::string& name, const std::string& updateTime = "generic")
    {
        PackageSpec contents = SamplePackageSpec();
        contents.updateTime = updateTime;
        WriteBytesToFile(folder.File(name), BuildPackageFile(contents));
    }
    EngineHarness harness;
    PackageTempDir folder;
    WizardSetup setup{harness.context, {"", folder.Path(), ""}, false, "", kWatchPeriodMs};
};

using Kind = WelcomeState::Kind;

TEST(WizardStart, AnswersLoadedMissingOrDamaged)
{
    struct Case {
        const char* shows;
        const char* simulate;
        std::function<void(Bed&)> prepare;
        Kind kind;
        std::string releaseText;
        bool note;           // "请确认已连接设备！" first
        bool messageFirst;
        const char* message;  // the first line of the message box
    };
    const Case cases[] = {
        {"the generic package beside the program", "", [](Bed& b) { b.Write("KT7_Down.dat"); }, Kind::Loaded, "",
         false, true, nullptr},
        {"the device's own package", "release=0100",
         [](Bed& b) {
             b.Write("KT7_Down.dat");
             b.Write("KT7_Down0100.dat", "specific");
         },
         Kind::Loaded, "0100", false, true, nullptr},
        {"no device: the generic package after a note", "devices=0", [](Bed& b) { b.Write("KT7_Down.dat"); },
         Kind::Loaded, "", true, true, nullptr},
        {"no package: ask for one after the message", "", [](Bed&) {}, Kind::NoPackage, "", false, true,
         kMsgCannotOpenPackage},
        {"installed, no package: ask at once", "",
         [](Bed& b) { b.setup.installed = true; }, Kind::NoPackage, "", false, false, kMsgCannotOpenPackage},
        {"installed, a named folder without it: the message first", "",
         [](Bed& b) {
             b.setup.installed = true;
             b.setup.places.choice = b.folder.Path();
         },
         Kind::NoPackage, "", false, true, kMsgCannotOpenPackage},
        {"a damaged package", "", [](Bed& b) { WriteBytesToFile(b.folder.File("KT7_Down.dat"), {'K', 'T', '7'}); },
         Kind::Damaged, "", false, true, kMsgPackageReadError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shows);
        Bed bed(c.simulate);
        c.prepare(bed);
        UpdateWizard wizard(bed.setup);
        const WelcomeState state = wizard.Start();
        EXPECT_EQ(state.kind, c.kind);
        EXPECT_EQ(state.note, c.note ? kMsgConnectDevice : "");
        if (c.kind == Kind::Loaded) {
            EXPECT_THAT(state.summary, HasSubstr("Solution:KT7.0"));
            EXPECT_EQ(state.releaseText, c.releaseText);
            EXPECT_EQ(state.path,
                      bed.folder.File(c.releaseText.empty() ? "KT7_Down.dat" : "KT7_Down" + c.releaseText + ".dat"));
            EXPECT_NE(wizard.Package(), nullptr);
        } else {
            EXPECT_EQ(state.message.substr(0, state.message.find('\n')), c.message);
            EXPECT_EQ(state.messageFirst, c.messageFirst);
            EXPECT_EQ(wizard.Package(), nullptr);
        }
        for (int device = 0; device < bed.harness.Backend().DeviceCount(); ++device)
            EXPECT_EQ(bed.harness.Backend().ReportCount(device), 0u) << "the start sends no command";
    }
}

TEST(WizardChooseFile, LoadsTheFileOrKeepsThePackageInUse)
{
    Bed bed;
    bed.Write("KT7_Down.dat");
    bed.Write("dropped.dat", "dropped");
    WriteBytesToFile(bed.folder.File("damaged.dat"), {'K', 'T', '7'});
    UpdateWizard wizard(bed.setup);
    ASSERT_EQ(wizard.Start().kind, Kind::Loaded);

    struct Case {
        const char* file;
        Kind kind;
        std::string shownPath;  // the welcome page's path afterwards
    };
    const Case cases[] = {
        {"damaged.dat", Kind::Damaged, bed.folder.File("KT7_Down.dat")},
        {"gone.dat", Kind::NoPackage, bed.folder.File("KT7_Down.dat")},
        {"dropped.dat", Kind::Loaded, bed.folder.File("dropped.dat")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const WelcomeState state = wizard.ChooseFile(bed.folder.File(c.file));
        EXPECT_EQ(state.kind, c.kind);
        EXPECT_EQ(wizard.Welcome().path, c.shownPath);
        EXPECT_NE(wizard.Package(), nullptr) << "a package is always in use";
    }
    EXPECT_THAT(wizard.Welcome().summary, HasSubstr("Update Time:dropped"));
}

TEST(WizardNext, StaysWithTheReasonOrGoesOn)
{
    using Next = NextAnswer::Kind;
    struct Case {
        const char* shows;
        const char* simulate;
        bool otherUpdateRuns;
        bool specificPackage;
        Next kind;
        std::string message;  // its start
        bool welcomeChanged;
    };
    const Case cases[] = {
        {"another update runs", "", true, false, Next::Locked, kMsgAnotherUpdateRunning, false},
        {"no device", "devices=0", false, false, Next::NoDevice, kMsgDeviceNotFound, false},
        {"devices of two kinds, each named with its package", "devices=2;release=5512,0100", false, false,
         Next::TwoKinds,
         std::string(kMsgMixedDevices) + "\n连接的设备：版本号 5512（升级文件 KT7_Down.dat）、版本号 0100（升级文件 "
                                         "KT7_Down0100.dat）",
         false},
        {"a device of another kind came: its package is shown first", "release=0100;arrive=5000", false, true,
         Next::KindChanged, "连接的设备需要另一个升级文件", true},
        {"a device of another kind came without its package", "release=0100;arrive=5000", false, false,
         Next::KindChanged, kMsgCannotOpenPackage, false},
        {"devices of the package's kind", "devices=2", false, false, Next::GoOn, kMsgDoNotDisturb, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shows);
        Bed bed(c.simulate);
        bed.Write("KT7_Down.dat");
        if (c.specificPackage)
            bed.Write("KT7_Down0100.dat", "specific");
        bed.setup.lockPath = bed.folder.File("update.lock");
        NullDiagnostics noLog;
        std::optional<UpdateLock> other;
        if (c.otherUpdateRuns)
            other.emplace(bed.setup.lockPath, noLog);
        UpdateWizard wizard(bed.setup);
        ASSERT_EQ(wizard.Start().kind, Kind::Loaded);
        bed.harness.clock.Advance(10000);  // a device with arrive= has come by now

        const NextAnswer answer = wizard.Next();
        EXPECT_EQ(answer.kind, c.kind);
        EXPECT_EQ(answer.message.substr(0, c.message.size()), c.message);
        EXPECT_EQ(answer.welcomeChanged, c.welcomeChanged);
        if (c.welcomeChanged) {
            EXPECT_THAT(answer.welcome.summary, HasSubstr("Update Time:specific"));
            EXPECT_EQ(wizard.Welcome().path, bed.folder.File("KT7_Down0100.dat"));
            EXPECT_EQ(wizard.Next().kind, Next::GoOn) << "Next again goes on with the shown package";
            EXPECT_EQ(wizard.Devices().m_cmdCodeOffset, 0x40);
        }
        // Only a run that goes on holds the lock; one that stays lets it go.
        other.reset();
        UpdateLock probe(bed.setup.lockPath, noLog);
        EXPECT_EQ(probe.Held(), wizard.HasRun() == false) << "the lock is held exactly while a run may go on";
        for (int device = 0; device < bed.harness.Backend().DeviceCount(); ++device)
            EXPECT_EQ(bed.harness.Backend().ReportCount(device), 0u) << "Next sends no command";
    }
}

struct PhaseCase {
    const char* shows;
    const char* simulate;
    UpdateOutcome outcome;
    std::vector<UpdatePhase> firstPhases;  // the start of the steps the page is shown
    std::string finalStatus;               // its start
    std::vector<std::string> messages;     // every box but the warning
    std::vector<DeviceResultKind> results;
    bool logPointer;
};

TEST(WizardDevicePhase, ShowsTheBootLoaderStepThenTheRunAndEndsWithItsOutcome)
{
    using R = DeviceResultKind;
    using P = UpdatePhase;
    const PhaseCase cases[] = {
        {"success", "devices=2", UpdateOutcome::Success, {P::BootloaderCheck, P::Reset}, "升级成功，可以断开连接，耗时",
         {}, {R::Updated, R::Updated}, false},
        {"an old boot loader is rewritten as a step of its own", "version=A107", UpdateOutcome::Success,
         {P::BootloaderCheck, P::BootloaderRefresh, P::Reset}, "升级成功", {}, {R::Updated}, false},
        {"a boot loader that can't be checked stops the run before it begins", "version=Z", UpdateOutcome::Bootloader,
         {P::BootloaderCheck}, kProgressTitle, {kMsgBootloaderFailed}, {R::Failed}, true},
        {"a device gone while written: named in the box, the status and the results", "devices=2;unplug=1@60",
         UpdateOutcome::UpdateFailed, {P::BootloaderCheck, P::Reset},
         std::string(kUpdateFailedText) + "（设备 sim-1）",
         {std::string(AreaWriteFailedMessage(2)) + "\n设备 sim-1：" + kCauseDeviceGone}, {R::Stopped, R::Failed},
         true},
        {"a device gone after Next fails the run, not skipped by it", "devices=2;unplug=1@2", UpdateOutcome::Bootloader,
         {P::BootloaderCheck}, kProgressTitle, {std::string(kMsgBootloaderFailed) + "\n设备 sim-1：" + kCauseDeviceGone},
         {R::Stopped, R::Failed}, true},
    };
    for (const PhaseCase& c : cases) {
        SCOPED_TRACE(c.shows);
        Bed bed(c.simulate);
        bed.Write("KT7_Down.dat");
        WriteBytesToFile(bed.folder.File("Smpl_HIDTransfer.bin"), std::vector<uint8_t>(1000, 0x5A));
        UpdateWizard wizard(bed.setup);
        ASSERT_EQ(wizard.Start().kind, Kind::Loaded);
        ASSERT_EQ(wizard.Next().kind, NextAnswer::Kind::GoOn);

        RecordingView view;
        wizard.RunDevicePhase(view);
        ASSERT_EQ(wizard.Progress().m_bDone.load(), 1) << "the page's watch sees every ending";
        const EndState& end = wizard.End();
        EXPECT_EQ(end.outcome, c.outcome);
        EXPECT_EQ(end.exitCode, ExitCodeOf(c.outcome));
        EXPECT_EQ(end.statusText.substr(0, c.finalStatus.size()), c.finalStatus);
        EXPECT_EQ(view.Statuses().back(), end.statusText) << "the page shows the end it is told";
        const std::vector<UpdatePhase> phases = view.Phases();
        ASSERT_GE(phases.size(), c.firstPhases.size());
        EXPECT_EQ(std::vector<UpdatePhase>(phases.begin(), phases.begin() + c.firstPhases.size()), c.firstPhases);
        EXPECT_EQ(view.Statuses().front(), kCheckingBootloaderText);
        EXPECT_EQ(view.messages.size(), c.messages.size());
        for (size_t i = 0; i < c.messages.size() && i < view.messages.size(); ++i)
            EXPECT_EQ(view.messages[i].substr(0, c.messages[i].size()), c.messages[i]);
        ASSERT_EQ(end.results.size(), c.results.size());
        for (size_t i = 0; i < c.results.size(); ++i)
            EXPECT_EQ(end.results[i].kind, c.results[i]) << i;
        // The harness's log is kept nowhere a user could look.
        EXPECT_EQ(end.logPointer, "");
        EXPECT_EQ(bed.harness.diagnostics.HoldsErrors(), c.logPointer);
    }
}

// A log kept in a file: a failure's end points at it, a success's does not.
TEST(WizardDevicePhase, PointsAtTheLogOnlyWhenItHoldsTheFailure)
{
    struct FileLog final : DiagnosticsSink {
        void Write(std::string_view text) override { captured.Write(text); }
        std::string LogPath() const override { return "/home/user/.local/state/kt7-updater/kt7-updater.log"; }
        bool HoldsErrors() const override { return captured.HoldsErrors(); }
        CapturingDiagnostics captured;
    };
    for (const char* simulate : {"devices=1", "devices=1;unplug=0@60"}) {
        SCOPED_TRACE(simulate);
        Bed bed(simulate);
        bed.Write("KT7_Down.dat");
        FileLog log;
        RunContext context{bed.harness.Backend(), bed.harness.clock, bed.harness.prompter, log};
        const WizardSetup setup{context, bed.setup.places, false, "", kWatchPeriodMs};
        UpdateWizard wizard(setup);
        ASSERT_EQ(wizard.Start().kind, Kind::Loaded);
        ASSERT_EQ(wizard.Next().kind, NextAnswer::Kind::GoOn);
        RecordingView view;
        wizard.RunDevicePhase(view);
        const bool failed = wizard.End().outcome != UpdateOutcome::Success;
        EXPECT_EQ(wizard.End().logPointer, failed ? std::string(kSeeLogText) + log.LogPath() : "");
        EXPECT_THAT(log.captured.Text(), HasSubstr("Result: sim-0"));
    }
}

// Every device of an ending gets one whole record: the device that failed
// with its message, the one it stopped as stopped; a worker that could not
// begin, its own. A records file that cannot be written is said once and
// changes nothing else.
TEST(WizardRecords, EveryDeviceOfAnEndingIsRecordedOnce)
{
    struct Case {
        const char* shows;
        const char* simulate;
        bool run;  // false: the attempt ends before its run
        std::vector<std::string> results;
    };
    const Case cases[] = {
        {"two devices updated", "devices=2", true, {kResultSuccess, kResultSuccess}},
        {"one of two unplugged", "devices=2;unplug=1@60", true, {kResultStopped, kResultFailed}},
        {"an attempt that never began", "devices=1", false, {kResultFailed}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shows);
        Bed bed(c.simulate);
        bed.Write("KT7_Down.dat");
        bed.setup.records = {bed.folder.File("records/records.jsonl"), "bench-1", 2};
        UpdateWizard wizard(bed.setup);
        ASSERT_EQ(wizard.Start().kind, Kind::Loaded);
        if (c.run) {
            ASSERT_EQ(wizard.Next().kind, NextAnswer::Kind::GoOn);
            RecordingView view;
            // Shown last: by then every record is on disk.
            size_t recordedWhenShown = 0;
            view.onEvent = [&](const ProgressEvent& event) {
                if (event.change == ProgressEvent::Change::Status)
                    recordedWhenShown = ReadRecordsFile(bed.setup.records.path).records.size();
            };
            wizard.RunDevicePhase(view);
            EXPECT_EQ(recordedWhenShown, c.results.size()) << "the outcome was shown before it was recorded";
        } else {
            wizard.EndWithoutRun(UpdateOutcome::NoDevice, kMsgDeviceNotFound);
        }
        EXPECT_EQ(wizard.End().recordsWarning, "");
        const RecordsFileContents read = ReadRecordsFile(bed.setup.records.path);
        EXPECT_TRUE(read.warnings.empty());
        ASSERT_EQ(read.records.size(), c.results.size());
        for (size_t i = 0; i < c.results.size(); ++i) {
            const DeviceRecord& record = read.records[i];
            EXPECT_EQ(record.result, c.results[i]) << i;
            EXPECT_EQ(record.location, "sim-" + std::to_string(i));
            EXPECT_EQ(record.station, "bench-1");
            EXPECT_EQ(record.attempt, 2);
            EXPECT_EQ(record.packageFile, "KT7_Down.dat");
            EXPECT_EQ(record.packageSha256.size(), 64u);
            EXPECT_EQ(record.release, "5512");
            EXPECT_EQ(record.message.empty(), record.result == kResultSuccess);
        }
    }
}

#ifndef _WIN32
TEST(WizardRecords, ARecordThatCannotBeWrittenIsSaidOnceAndTheOutcomeStands)
{
    Bed bed("devices=2");
    bed.Write("KT7_Down.dat");
    bed.setup.records = {"/dev/full", "bench-1", 1};
    UpdateWizard wizard(bed.setup);
    ASSERT_EQ(wizard.Start().kind, Kind::Loaded);
    ASSERT_EQ(wizard.Next().kind, NextAnswer::Kind::GoOn);
    RecordingView view;
    wizard.RunDevicePhase(view);
    EXPECT_EQ(wizard.End().outcome, UpdateOutcome::Success);
    EXPECT_THAT(wizard.End().recordsWarning, HasSubstr("未能保存升级记录"));
    EXPECT_THAT(wizard.End().recordsWarning, HasSubstr("/dev/full"));
}
#endif

} // namespace
