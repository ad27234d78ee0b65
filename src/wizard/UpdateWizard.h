#pragma once
// The update wizard, decided once: which package, whether it is damaged,
// whether another update runs, whether devices of one kind are attached and
// still the kind the package was chosen for, the warning, the boot-loader
// check and refresh, the run, and what its end means for the user. The Qt
// pages, the Windows pages, kt7-flash's update and each parallel or watch
// worker only draw its states and forward the user's actions.

#include <memory>
#include <optional>
#include <string>

#include "engine/ProgressPage.h"
#include "engine/ProgressState.h"
#include "engine/UpdateJob.h"
#include "hid/DeviceKind.h"
#include "hid/DeviceSet.h"
#include "package/LoadPackage.h"
#include "platform/UpdateLock.h"
#include "wizard/WizardSetup.h"
#include "wizard/WizardStates.h"

// What a face shows of the device phase.
class DevicePhaseView {
public:
    virtual ~DevicePhaseView() = default;
    // A change of the run's step, lines or percent; as ProgressPage's.
    virtual void OnProgress(const ProgressEvent& event) = 0;
    // A message box (UTF-8); returns when it has been acknowledged.
    virtual void ShowMessage(const std::string& text) = 0;
};

class UpdateWizard {
public:
    // `setup` must outlive the wizard.
    explicit UpdateWizard(const WizardSetup& setup);
    ~UpdateWizard();
    UpdateWizard(const UpdateWizard&) = delete;
    UpdateWizard& operator=(const UpdateWizard&) = delete;

    // The welcome page's start: asks the first device which package it takes
    // and loads it.
    WelcomeState Start();
    // A package file the user chose or dropped. One that does not load
    // leaves the package in use as it was.
    WelcomeState ChooseFile(const std::string& path);
    const WelcomeState& Welcome() const { return m_welcome; }

    // Next. On GoOn the update lock is held until the wizard ends, the
    // devices' command set is chosen and the run's log has begun.
    NextAnswer Next();

    // After GoOn, on the thread that does the device work: the boot-loader
    // check (and refresh of one too old), then the update. Reports to `view`
    // as it goes; the job's m_bDone is raised as the very last act, after
    // the end is known.
    void RunDevicePhase(DevicePhaseView& view);
    // The run's progress, for a page that watches it (m_nPos, m_bDone).
    // Valid once Next answered GoOn.
    const ProgressState& Progress() const { return m_job->progress; }
    bool HasRun() const { return m_job.has_value(); }
    // Once m_bDone is raised.
    const EndState& End() const { return m_end; }
    // For a face that cannot stay where the wizard would (a worker of a run
    // of several devices): the attempt ends here, before a run began, with
    // `outcome` and the message it was shown; End() and the records say so
    // for the devices attached now.
    void EndWithoutRun(UpdateOutcome outcome, const std::string& message);

    const DeviceSet& Devices() const { return m_devices; }
    // The package in use; null once a run took it.
    const LoadedPackage* Package() const { return m_load.package.get(); }

    // A message box of the run: its fixed message, and a second line saying
    // on which device and why when that is known.
    static std::string FailureBoxText(const std::string& message, const DeviceFailure* failure);

private:
    WelcomeState Use(PackageLoad load, DeviceKind kind);
    WelcomeState FailedLoad(const PackageLoad& load) const;
    PackageLoad Load(const std::string& releaseText) const;
    // `load`, or its refusal when its package is not one the user expects.
    PackageLoad Expected(PackageLoad load) const;
    void Finish(UpdateOutcome outcome, const std::string& message, const std::optional<DeviceFailure>& failure);
    void WriteRecords();

    // What the records say of the package in use.
    struct PackageFacts {
        std::string fileName;
        std::string sha256;
        std::string firmwareVersion;
        std::string voiceVersion;
        std::string dataVersion;
        std::string updateTime;
    };

    const WizardSetup& m_setup;
    DeviceSet m_devices;
    PackageLoad m_load;
    DeviceKind m_loadedKind;
    WelcomeState m_welcome;
    std::unique_ptr<UpdateLock> m_lock;
    std::vector<HidDeviceInfo> m_runDevices;  // as listed when Next went on
    PackageFacts m_facts;
    std::optional<UpdateJob> m_job;
    EndState m_end;
};
