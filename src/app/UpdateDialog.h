#pragma once
// The welcome page: banner, welcome line, the package summary and its path,
// and Next / Cancel. It draws the wizard's states: the package loaded before
// it is shown (or the file asked for), a package file dropped onto it, and
// Next's answer, on which it stays or hands over to the progress page.

#include <QDialog>
#include <string>

#include "app/ProgressDialog.h"
#include "engine/UpdateOutcome.h"
#include "wizard/UpdateWizard.h"

class QLabel;
class QMimeData;
class QPushButton;
class SummaryBox;

class CUpdateDialog final : public QDialog {
public:
    // `wizard` and `setup` must outlive the page.
    CUpdateDialog(UpdateWizard& wizard, const WizardSetup& setup, QWidget* parent = nullptr);

    // Loads the package and fills the summary; when there is no package to
    // load, asks for one with a file dialog. False after a package that does
    // not load or a cancelled dialog, whose message has been shown; the
    // program then ends with exit code 1.
    bool OnInitDialog();

    // How the page was left: Cancelled until Next led to a run.
    UpdateOutcome Outcome() const { return m_outcome; }

    const UpdateWizard& Wizard() const { return m_wizard; }
    bool IsDeviceSpecificPackage() const { return m_bDeviceSpecificPackage != 0; }
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
    void ShowPackage(const WelcomeState& state);
    void ShowMessage(const std::string& text);
    void LoadDroppedPackage(const QString& file);

    UpdateWizard& m_wizard;
    const WizardSetup& m_setup;
    SummaryBox* m_editSummary = nullptr;
    QLabel* m_stcPackagePath = nullptr;
    QPushButton* m_btnNext = nullptr;
    QPushButton* m_btnCancel = nullptr;
    int m_bDeviceSpecificPackage = 0;
    UpdateOutcome m_outcome = UpdateOutcome::Cancelled;
};
