#pragma once
// The progress page: the banner, the status line, the bar, the device/area
// line and Exit. It warns before it is shown, then the wizard's device phase
// runs on a worker thread of its own (the boot-loader check, and its
// rewrite when needed, as steps on this page, then the update); the page
// draws what the phase reports and enables Exit once the worker is done.
// Enter, Esc and the close box never leave it. From the start of the phase
// until it is done Ctrl-C, SIGTERM and SIGHUP are held; one that came
// meanwhile closes the page as soon as the devices are left alone.

#include <QDialog>
#include <QEvent>
#include <QThread>
#include <optional>

#include "platform/InterruptGuard.h"
#include "wizard/UpdateWizard.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

class CProgressDialog final : public QDialog, public DevicePhaseView {
public:
    // The request to move the bar to the run's latest percent.
    static constexpr QEvent::Type WM_PROGRESS_UPDATE = static_cast<QEvent::Type>(2025);

    // Runs the device phase of `wizard`, which has answered GoOn; both must
    // outlive the page.
    CProgressDialog(UpdateWizard& wizard, const WizardSetup& setup, QWidget* parent = nullptr);
    // Waits for the worker thread, which has nothing left to do once done.
    ~CProgressDialog() override;

    // The warning, then the page runs modally until Exit.
    int RunModal();

    // Called from the worker: a text is in place when the call returns; the
    // percent is posted.
    void OnProgress(const ProgressEvent& event) override;
    void ShowMessage(const std::string& text) override;

    QPushButton* ExitButton() const { return m_btnExit; }
    QProgressBar* ProgressBar() const { return m_progress; }
    QLabel* StatusLabel() const { return m_stcStatus; }
    QLabel* AreaLabel() const { return m_stcArea; }
    // The log's path after a failure, whole and selectable; null before.
    QLineEdit* LogLine() const { return m_logLine; }
    // 0 when no watch timer runs (never started, or killed once done).
    int WatchTimerId() const { return m_watchTimerId; }
    bool WorkerStarted() const { return m_thread.isRunning() || m_thread.isFinished(); }
    bool Done() const { return m_wizard.Progress().m_bDone.load() != 0; }
    // A signal came while the devices were busy.
    bool InterruptHeld() const { return m_interruptGuard ? m_interruptGuard->Interrupted() : m_interrupted; }

protected:
    bool event(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Enter and Esc reach the dialog as accept/reject: both do nothing.
    void accept() override {}
    void reject() override {}

private:
    void StartDevicePhase();
    void ShowEnd();

    UpdateWizard& m_wizard;
    const WizardSetup& m_setup;
    QLabel* m_stcArea = nullptr;
    QPushButton* m_btnExit = nullptr;
    QLabel* m_stcStatus = nullptr;
    QProgressBar* m_progress = nullptr;
    QLineEdit* m_logLine = nullptr;
    int m_watchTimerId = 0;
    QThread m_thread;
    std::optional<InterruptGuard> m_interruptGuard;
    bool m_interrupted = false;
};
