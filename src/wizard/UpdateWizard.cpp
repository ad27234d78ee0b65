#include "wizard/UpdateWizard.h"

#include "hid/DevicePermission.h"
#include "bootloader/BootloaderRefresh.h"
#include "engine/RunLog.h"
#include "engine/UpdateRun.h"
#include "hid/ReleaseProbe.h"
#include "package/ExpectedPackage.h"
#include "package/PackageShelf.h"
#include "package/PackageSummary.h"
#include "platform/ProgramDirectory.h"
#include "platform/SystemPath.h"
#include "platform/WallTime.h"
#include "records/RecordAppend.h"
#include "records/RecordLine.h"
#include "texts/UserTexts.h"
#include "wizard/PackageFileName.h"

namespace {

const char* CauseText(FailureCause cause)
{
    switch (cause) {
    case FailureCause::NoDevice:
        return kCauseNoDevice;
    case FailureCause::DevicesChanged:
        return kCauseDevicesChanged;
    case FailureCause::NotOpened:
        return kCauseNotOpened;
    case FailureCause::NotSent:
        return kCauseNotSent;
    case FailureCause::NoAnswer:
        return kCauseNoAnswer;
    case FailureCause::ShortAnswer:
        return kCauseShortAnswer;
    case FailureCause::ReadFailed:
        return kCauseReadFailed;
    case FailureCause::DeviceGone:
        return kCauseDeviceGone;
    case FailureCause::Differs:
        return kCauseDiffers;
    case FailureCause::Unrecognised:
        return kCauseUnrecognised;
    case FailureCause::OutsideFlash:
        return kCauseOutsideFlash;
    }
    return kCauseNotSent;
}

// "版本号 5512（升级文件 KT7_Down.dat）、版本号 0100（…）": every kind once.
std::string KindsList(const std::vector<HidDeviceInfo>& devices)
{
    std::vector<DeviceKind> seen;
    std::string list;
    for (const HidDeviceInfo& device : devices) {
        const DeviceKind kind = KindOf(device.releaseNumber);
        bool known = false;
        for (const DeviceKind& other : seen)
            known = known || other == kind;
        if (known)
            continue;
        seen.push_back(kind);
        list += (list.empty() ? "" : "、") +
                DeviceKindText(ReleaseNumberText(device.releaseNumber), PackageFileNameFor(device.releaseNumber));
    }
    return list;
}

// The engine's page: its reports go to the face as they are; its message
// boxes get the device and the cause as a second line.
class ComposingPage final : public ProgressPage {
public:
    explicit ComposingPage(DevicePhaseView& view) : m_view(view) {}
    void OnProgress(const ProgressEvent& event) override { m_view.OnProgress(event); }
    void ShowMessage(const std::string& text, const DeviceFailure* failure) override
    {
        m_view.ShowMessage(UpdateWizard::FailureBoxText(text, failure));
    }

private:
    DevicePhaseView& m_view;
};

} // namespace

UpdateWizard::UpdateWizard(const WizardSetup& setup)
    : m_setup(setup), m_devices(setup.context.hid, setup.context.clock, setup.context.diagnostics)
{
    m_devices.NumberDevicesFrom(setup.firstDeviceNumber);
}

UpdateWizard::~UpdateWizard() = default;

std::string UpdateWizard::FailureBoxText(const std::string& message, const DeviceFailure* failure)
{
    if (!failure || failure->location.empty())
        return message;
    return message + "\n" + FailureWhereText(failure->location, CauseText(failure->cause));
}

PackageLoad UpdateWizard::Load(const std::string& releaseText) const
{
    return Expected(m_setup.packages ? m_setup.packages->For(releaseText)
                                     : LoadPackage(m_setup.places, releaseText, m_setup.context.clock.TickCount()));
}

PackageLoad UpdateWizard::Expected(PackageLoad load) const
{
    if (load && !IsExpectedPackage(load.package->sha256, m_setup.expectedSha256))
        DiagPrintf(m_setup.context.diagnostics, "Package refused: %s has SHA-256 %s, not one of those expected\n",
                   load.path.c_str(), load.package->sha256.c_str());
    return RefuseUnexpectedPackage(std::move(load), m_setup.expectedSha256);
}

WelcomeState UpdateWizard::Use(PackageLoad load, DeviceKind kind)
{
    m_load = std::move(load);
    m_loadedKind = kind;
    const LoadedPackage& package = *m_load.package;
    LogPackage(m_setup.context.diagnostics, package);
    const PackageSummaryFields fields = SummaryFieldsOf(package.header);
    m_facts = {PathToUtf8(PathFromUtf8(m_load.path).filename()), package.sha256, fields.firmwareVersion,
               fields.voiceVersion, fields.dataVersion, fields.updateTime};
    WelcomeState state;
    state.kind = WelcomeState::Kind::Loaded;
    state.summary = m_load.package->summary;
    state.path = m_load.path;
    state.releaseText = m_load.named ? std::string() : ReleaseTextOf(kind);
    state.sha256 = package.sha256;
    m_welcome = state;
    return state;
}

WelcomeState UpdateWizard::FailedLoad(const PackageLoad& load) const
{
    WelcomeState state;
    state.kind = load.found ? WelcomeState::Kind::Damaged : WelcomeState::Kind::NoPackage;
    state.path = load.path;
    state.message = load.message;
    return state;
}

WelcomeState UpdateWizard::Start()
{
    RunContext& context = m_setup.context;
    const ReleaseProbe probe = ProbeDeviceRelease(context.hid, context.clock);
    PackageLoad load = Load(probe.releaseText);
    WelcomeState state = load ? Use(std::move(load), KindOf(probe)) : FailedLoad(load);
    if (!probe.found)
        state.note = kMsgConnectDevice;
    // The installed program's own folder is no place for a package: without
    // a file or folder named, a missing package is simply asked for.
    state.messageFirst = !(m_setup.installed && m_setup.places.choice.empty());
    if (state.kind != WelcomeState::Kind::Loaded)
        m_welcome = state;
    return state;
}

WelcomeState UpdateWizard::ChooseFile(const std::string& path)
{
    PackageLoad load = Expected(LoadPackageFile(path, m_setup.context.clock.TickCount()));
    if (!load)
        return FailedLoad(load);
    return Use(std::move(load), m_loadedKind);
}

NextAnswer UpdateWizard::Next()
{
    RunContext& context = m_setup.context;
    NextAnswer answer;
    // Held until the run has ended, or let go when the user stays.
    auto lock = std::make_unique<UpdateLock>(m_setup.lockPath, context.diagnostics);
    if (!lock->Held()) {
        answer.kind = NextAnswer::Kind::Locked;
        answer.message = kMsgAnotherUpdateRunning;
        answer.outcome = UpdateOutcome::Locked;
        return answer;
    }
    if (!m_devices.IsDevicePresent()) {
        answer.kind = NextAnswer::Kind::NoDevice;
        answer.message = kMsgDeviceNotFound;
        answer.outcome = UpdateOutcome::NoDevice;
        return answer;
    }
    const std::vector<HidDeviceInfo> attached = m_devices.List();
    const std::optional<DeviceKind> kind = CommonKind(attached);
    if (!kind) {
        answer.kind = NextAnswer::Kind::TwoKinds;
        answer.message = MixedDevicesText(KindsList(attached));
        answer.outcome = UpdateOutcome::MixedDevices;
        return answer;
    }
    // Devices plugged in since the package was chosen may take another one:
    // it is loaded and shown before anything is written.
    if (m_load && !m_load.named && *kind != m_loadedKind) {
        answer.kind = NextAnswer::Kind::KindChanged;
        PackageLoad load = Load(ReleaseTextOf(*kind));
        if (!load) {
            answer.message = load.message;
            answer.outcome = UpdateOutcome::PackageLoadFailed;
            return answer;
        }
        answer.message = KindChangedText(load.path);
        answer.welcome = Use(std::move(load), *kind);
        answer.welcomeChanged = true;
        answer.outcome = UpdateOutcome::PackageLoadFailed;
        return answer;
    }
    m_lock = std::move(lock);
    m_devices.SelectCommandSet(kind->deviceSpecific ? 1 : 0);
    m_runDevices = attached;
    m_devices.RememberDevices();
    LogRunStart(context.diagnostics, GetProgramName(), *m_load.package, attached, m_setup.firstDeviceNumber,
                m_setup.verify);
    // The run takes the package: it is released when the run ends.
    m_job.emplace(m_devices, std::move(m_load.package));
    m_job->progress.m_verify = m_setup.verify;
    answer.kind = NextAnswer::Kind::GoOn;
    answer.message = kMsgDoNotDisturb;
    answer.outcome = UpdateOutcome::Success;
    return answer;
}

void UpdateWizard::Finish(UpdateOutcome outcome, const std::string& message,
                          const std::optional<DeviceFailure>& failure)
{
    DiagnosticsSink& log = m_setup.context.diagnostics;
    m_end.outcome = outcome;
    m_end.exitCode = ExitCodeOf(outcome);
    m_end.results = InStepResults(m_runDevices, outcome == UpdateOutcome::Success, message, failure);
    m_end.elapsedMs = m_job ? m_job->elapsedMs : 0;
    LogDeviceResults(log, m_end.results);
    WriteRecords();
    m_end.logPath = log.LogPath();
    if (outcome != UpdateOutcome::Success && !m_end.logPath.empty() && log.HoldsErrors())
        m_end.logPointer = std::string(kSeeLogText) + m_end.logPath;
}

void UpdateWizard::RunDevicePhase(DevicePhaseView& view)
{
    ComposingPage page(view);
    UpdateJob& job = *m_job;
    ProgressState& progress = job.progress;
    const std::string image =
        FindBootloaderImage(job.package ? job.package->path : std::string(), GetProgramDirectory(), kBootloaderImageName);

    m_devices.ClearFailure();
    EnterPhase(progress, page, UpdatePhase::BootloaderCheck);
    SetStatusText(progress, page, kCheckingBootloaderText, 0);
    const int refreshed = UpdateBootloader(m_devices, image, [&] {
        EnterPhase(progress, page, UpdatePhase::BootloaderRefresh);
        SetStatusText(progress, page, kRefreshingBootloaderText, 0);
    });
    if (!refreshed) {
        const std::optional<DeviceFailure> failure = m_devices.Failure();
        // Like the update's failures, the box names the device and the cause.
        view.ShowMessage(WithDevicePermissionHint(m_setup.context.hid,
                                                  FailureBoxText(kMsgBootloaderFailed, failure ? &*failure : nullptr)));
        job.package.reset();
        // Nothing was written: the page is as it was before the run.
        m_end.statusText = kProgressTitle;
        SetStatusText(progress, page, kProgressTitle, 0);
        Finish(UpdateOutcome::Bootloader, kMsgBootloaderFailed, failure);
        progress.m_outcome = UpdateOutcome::Bootloader;
        progress.m_bDone = 1;
        return;
    }
    // The run starts with the reset, and the devices take seconds to come back.
    SetStatusText(progress, page, kWaitingForDevicesText, 0);
    UpdateThreadProc(&page, job, [&] {
        m_end.statusText = progress.m_statusText;
        Finish(progress.m_outcome.load(), progress.m_failureMessage, job.failure);
    });
}

void UpdateWizard::EndWithoutRun(UpdateOutcome outcome, const std::string& message)
{
    if (m_runDevices.empty())
        m_runDevices = m_devices.List();
    if (m_facts.fileName.empty() && !m_welcome.path.empty())
        m_facts.fileName = PathToUtf8(PathFromUtf8(m_welcome.path).filename());
    Finish(outcome, message, std::nullopt);
}

// One whole line per device, on disk before the result is shown: a crash
// afterwards loses no finished record.
void UpdateWizard::WriteRecords()
{
    const RecordsSettings& settings = m_setup.records;
    if (settings.path.empty())
        return;
    const int64_t now = WallTimeUtcSeconds();
    for (const DeviceResult& result : m_end.results) {
        DeviceRecord record;
        record.timeUtc = now;
        record.utcOffsetMinutes = UtcOffsetMinutes(now);
        record.station = settings.station;
        record.location = result.device.location.empty() ? result.device.path : result.device.location;
        if (!result.device.serialNumber.empty())
            record.serial = result.device.serialNumber;
        record.release = ReleaseNumberText(result.device.releaseNumber);
        record.packageFile = m_facts.fileName;
        record.packageSha256 = m_facts.sha256;
        record.firmwareVersion = m_facts.firmwareVersion;
        record.voiceVersion = m_facts.voiceVersion;
        record.dataVersion = m_facts.dataVersion;
        record.updateTime = m_facts.updateTime;
        record.verify = m_setup.verify;
        record.result = result.kind == DeviceResultKind::Updated ? kResultSuccess
                        : result.kind == DeviceResultKind::Stopped ? kResultStopped
                                                                     : kResultFailed;
        record.exitCode = result.kind == DeviceResultKind::Updated ? 0 : m_end.exitCode;
        record.message = result.kind == DeviceResultKind::Stopped ? StoppedByText(result.cause) : result.message;
        record.durationMs = m_end.elapsedMs;
        record.attempt = settings.attempt;
        if (const std::optional<AppendFailure> failure = AppendRecordLine(settings.path, EncodeRecordLine(record))) {
            DiagPrintf(m_setup.context.diagnostics, "ERROR: no record kept: %s\n", failure->Text().c_str());
            m_end.recordsWarning = RecordsNotKeptText(failure->Text());
            return;
        }
    }
}
