#pragma once
// The welcome page: banner, welcome line, the package summary and its path,
// and Next / Cancel. It loads the package before it is shown, asking for the
// file when none is found; a package file dropped onto it replaces the one in
// use. Next checks for devices of one kind, loads the package of another
// kind that has been plugged in meanwhile (and stays, to show it), and runs
// the progress page.

#include <QDialog>
#include <memory>
#include <string>

#include "app/ProgressDialog.h"
#include "app/WizardSetup.h"
#include "engine/UpdateOutcome.h"
#include "hid/DeviceKind.h"
#include "hid/DeviceSet.h"
#include "package/LoadPackage.h"

class QLabel;
class QMimeData;
class QPushButton;
class SummaryBox;

class CUpdateDialog final : public QDialog {
public:
    explicit CUpdateDialog(const WizardSetup& setup, QWidget* parent = nullptr);

    // Loads the package and fills the summary; when there is no package to
    // load, asks for one with a file dialog. False after a package that does
    // not load or a cancelled dialog, whose message has been shown; the
    // program then ends with exit code 1.
    bool OnInitDialog();

    // How the page was left: Cancelled until Next led somewhere.
    UpdateOutcome Outcome() const { return m_outcome; }

    bool IsDeviceSpecificPackage() const { return m_bDeviceSpecificPackage != 0; }
    // The package in use; null once an update has taken it.
    const LoadedPackage* Package() const { return m_load.package.get(); }
    // The devices of the wizard's run.
    const DeviceSet& Devices() const { return m_devices; }
    SummaryBox* SummaryEdit() const { return m_editSummary; }
    QLabel* PackagePathLabel() const { return m_stcPackagePath; }
    QPushButton* NextButton() const { return m_btnNext; }
    QPushButton* CancelButton() const { return m_btnCancel; }

    // Next: Return reaches it too, as Next is the default button.
    void accept() override;

    // The local file a drop would bring, empty when it brings anything else.
    static QString DroppedPackageFile(const QMimeData* data);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void ShowPackage();
    void LoadDroppedPackage(const QString& file);
    // Makes `load` the package in use, chosen for devices of `kind`.
    void UsePackage(PackageLoad load, DeviceKind kind);
    void ShowMessage(const std::string& text);
    void RunUpdate();

    const WizardSetup& m_setup;
    DeviceSet m_devices;
    PackageLoad m_load;
    DeviceKind m_loadedKind;
    SummaryBox* m_editSummary = nullptr;
    QLabel* m_stcPackagePath = nullptr;
    QPushButton* m_btnNext = nullptr;
    QPushButton* m_btnCancel = nullptr;
    int m_bDeviceSpecificPackage = 0;
    UpdateOutcome m_outcome = UpdateOutcome::Cancelled;
};
