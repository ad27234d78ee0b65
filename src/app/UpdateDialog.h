#pragma once
// The welcome page: banner, welcome line, the package summary and its path,
// and Next / Cancel. It loads the package before it is shown, asking for the
// file when none is found; a package file dropped onto it replaces the one in
// use. Next checks for a device and runs the progress page.

#include <QDialog>
#include <string>

#include "app/ProgressDialog.h"
#include "engine/UpdateOutcome.h"

class QLabel;
class QMimeData;
class QPushButton;
class SummaryBox;

class CUpdateDialog final : public QDialog {
public:
    explicit CUpdateDialog(QWidget* parent = nullptr);

    // Loads the package and fills the summary; when there is no package to
    // load, asks for one with a file dialog. False after a package that does
    // not load or a cancelled dialog, whose message has been shown; the
    // program then ends with exit code 1.
    bool OnInitDialog();

    // The watch period of the progress page that Next opens; tests raise it
    // and deliver the ticks themselves.
    void SetProgressWatchPeriod(int periodMs) { m_progressWatchPeriodMs = periodMs; }

    // The update lock Next takes (empty: none); see UpdateLockPath().
    void SetUpdateLockPath(const std::string& path) { m_updateLockPath = path; }

    // How the page was left: Cancelled until Next led somewhere.
    UpdateOutcome Outcome() const { return m_outcome; }

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
    void ShowPackage(const std::string& summary);
    void LoadDroppedPackage(const QString& file);

    SummaryBox* m_editSummary = nullptr;
    QLabel* m_stcPackagePath = nullptr;
    QPushButton* m_btnNext = nullptr;
    QPushButton* m_btnCancel = nullptr;
    int m_bDeviceSpecificPackage = 0;
    int m_progressWatchPeriodMs = CProgressDialog::kWatchPeriodMs;
    std::string m_updateLockPath;
    UpdateOutcome m_outcome = UpdateOutcome::Cancelled;
};
