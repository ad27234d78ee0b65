#pragma once
// The progress page and the object it shares with the update's worker: the
// bar, the status line, the device/area line and the Exit button. The page
// warns, refreshes the boot loader before it is shown, then runs the update
// on one worker thread and enables Exit once the worker is done. Enter, Esc
// and the close box never leave it. From the refresh until the worker is done
// Ctrl-C, SIGTERM and SIGHUP are held; one that came meanwhile closes the
// page as soon as the devices are left alone.

#include <QDialog>
#include <QEvent>
#include <atomic>
#include <functional>
#include <optional>
#include <thread>

#include "app/WizardSetup.h"
#include "engine/ProgressPage.h"
#include "platform/InterruptGuard.h"

struct UpdateJob;

class QLabel;
class QProgressBar;
class QPushButton;

class CProgressDialog final : public QDialog, public ProgressPage {
public:
    // The worker's request to move the bar to the latest m_nPos.
    static constexpr QEvent::Type WM_PROGRESS_UPDATE = static_cast<QEvent::Type>(2025);

    // Runs `job` with the services and options of `setup`; both must outlive
    // the page.
    CProgressDialog(const WizardSetup& setup, UpdateJob& job, QWidget* parent = nullptr);
    // Waits for the worker, which may still be returning after m_bDone.
    ~CProgressDialog() override;

    // Initialises the page (warning, boot-loader refresh, timer, worker) and
    // runs it modally until Exit.
    int RunModal();

    // Once the page has closed: Success, Bootloader or UpdateFailed.
    UpdateOutcome Outcome() const { return m_outcome.load(); }

    // Called from the worker: the texts are in place when they return.
    void SetAreaText(const std::string& text) override;
    void SetStatusText(const std::string& text) override;
    void PostProgressUpdate() override;
    void ShowMessage(const std::string& text, const DeviceFailure* failure) override;

    QPushButton* ExitButton() const { return m_btnExit; }
    QProgressBar* ProgressBar() const { return m_progress; }
    QLabel* StatusLabel() const { return m_stcStatus; }
    QLabel* AreaLabel() const { return m_stcArea; }
    // 0 when no watch timer runs (never started, or killed once done).
    int WatchTimerId() const { return m_watchTimerId; }
    bool WorkerStarted() const { return m_worker.joinable(); }
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
    bool OnInitDialog();
    void RunOnGuiThread(const std::function<void()>& action);
    void EndInterruptGuard();
    void PointAtTheLogAfterAFailure();

    const WizardSetup& m_setup;
    UpdateJob& m_job;
    QLabel* m_stcArea = nullptr;
    QPushButton* m_btnExit = nullptr;
    QLabel* m_stcStatus = nullptr;
    QProgressBar* m_progress = nullptr;
    const int m_watchPeriodMs;
    int m_watchTimerId = 0;
    std::thread m_worker;
    std::atomic<bool> m_workerReturned{false};
    std::optional<InterruptGuard> m_interruptGuard;
    bool m_interrupted = false;
};
