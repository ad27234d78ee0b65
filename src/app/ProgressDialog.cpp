#include "app/ProgressDialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimerEvent>

#include "app/GuiPrompter.h"
#include "app/WizardFrame.h"
#include "backends/DevicePermission.h"
#include "bootloader/BootloaderRefresh.h"
#include "engine/EngineTexts.h"
#include "engine/UpdateMessages.h"
#include "engine/UpdateJob.h"
#include "engine/UpdateRun.h"
#include "package/PackageSearch.h"
#include "platform/ProgramDirectory.h"

namespace {

const char kInterruptNotice[] =
    "kt7-updater: the update is being finished; interrupting it now would leave the device half-written.\n";

} // namespace

CProgressDialog::CProgressDialog(const WizardSetup& setup, UpdateJob& job, QWidget* parent)
    : QDialog(parent), m_setup(setup), m_job(job), m_watchPeriodMs(setup.watchPeriodMs)
{
    const DialogUnits units = SetUpWizardFrame(*this);

    AddBanner(*this, units);
    AddRule(*this, units, 0, 174, 229);
    m_progress = new QProgressBar(this);
    PlaceInUnits(*m_progress, units, 24, 126, 181, 14);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_stcStatus = AddStaticText(*this, units, QString::fromUtf8("下载进度"), 25, 105, 179, 16);
    m_btnExit = new QPushButton(QString::fromUtf8("退出(&E)"), this);
    PlaceInUnits(*m_btnExit, units, 161, 182, 51, 15);
    // Not a default button: Enter must not reach Exit.
    m_btnExit->setAutoDefault(false);
    m_btnExit->setDefault(false);
    m_stcArea = AddStaticText(*this, units, QString(), 25, 84, 178, 15);

    connect(m_btnExit, &QPushButton::clicked, this, [this] { QDialog::done(QDialog::Accepted); });
}

CProgressDialog::~CProgressDialog()
{
    if (!m_worker.joinable())
        return;
    // The worker may still wait for this thread (a text or a message box);
    // keep serving it until it has returned.
    while (!m_workerReturned.load()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::yield();
    }
    m_worker.join();
}

int CProgressDialog::RunModal()
{
    // A signal held during a refused refresh ends the program at once.
    if (!OnInitDialog() && m_interrupted)
        return QDialog::Rejected;
    return exec();
}

bool CProgressDialog::OnInitDialog()
{
    Prompter& prompter = m_setup.context.prompter;
    ShowPageMessage(prompter, this, kMsgDoNotDisturb, PageCaption(), QMessageBox::Warning);

    m_interruptGuard.emplace(kInterruptNotice);
    const std::string image =
        FindBootloaderImage(m_job.package ? m_job.package->path : std::string(), GetProgramDirectory(),
                            kBootloaderImageName);
    m_job.devices.ClearFailure();
    if (!UpdateBootloader(m_job.devices, image)) {
        m_outcome = UpdateOutcome::Bootloader;
        EndInterruptGuard();
        if (!m_interrupted)
            ShowPageMessage(prompter, this, WithDevicePermissionHint(m_setup.context.hid, kMsgBootloaderFailed),
                            ProgramCaption(), QMessageBox::NoIcon);
        return false;
    }

    m_progress->setRange(0, 100);
    m_watchTimerId = startTimer(m_watchPeriodMs);
    m_btnExit->setEnabled(false);
    m_worker = std::thread([this] {
        UpdateThreadProc(this, m_job);
        m_workerReturned.store(true);
    });
    return true;
}

void CProgressDialog::RunOnGuiThread(const std::function<void()>& action)
{
    if (QThread::currentThread() == thread()) {
        action();
        return;
    }
    QMetaObject::invokeMethod(this, action, Qt::BlockingQueuedConnection);
}

void CProgressDialog::EndInterruptGuard()
{
    if (!m_interruptGuard)
        return;
    m_interrupted = m_interruptGuard->Interrupted();
    m_interruptGuard.reset();
}

void CProgressDialog::SetAreaText(const std::string& text)
{
    const QString value = QString::fromStdString(text);
    RunOnGuiThread([this, &value] { m_stcArea->setText(value); });
}

void CProgressDialog::SetStatusText(const std::string& text)
{
    const QString value = QString::fromStdString(text);
    RunOnGuiThread([this, &value] { m_stcStatus->setText(value); });
}

void CProgressDialog::ShowMessage(const std::string& text, const DeviceFailure*)
{
    // The worker's boxes belong to the page; the prompter shows them on the
    // GUI thread while the worker waits.
    ShowPageMessage(m_setup.context.prompter, nullptr, text, ProgramCaption(), QMessageBox::NoIcon);
}

void CProgressDialog::PostProgressUpdate()
{
    QCoreApplication::postEvent(this, new QEvent(WM_PROGRESS_UPDATE));
}

bool CProgressDialog::event(QEvent* event)
{
    if (event->type() == WM_PROGRESS_UPDATE) {
        // The event carries nothing: the bar shows m_nPos as it is now.
        m_progress->setValue(m_nPos.load());
        return true;
    }
    return QDialog::event(event);
}

// The status line keeps the failure text and names the log after it, elided
// to the line's width; the whole path is in its tooltip.
void CProgressDialog::PointAtTheLogAfterAFailure()
{
    const DiagnosticsSink& diagnostics = m_setup.context.diagnostics;
    const std::string log = diagnostics.LogPath();
    if (m_outcome.load() == UpdateOutcome::Success || log.empty() || !diagnostics.HoldsErrors())
        return;
    const QString text = m_stcStatus->text() + QStringLiteral("  ") + QString::fromUtf8(kSeeLogText) +
                         QString::fromStdString(log);
    m_stcStatus->setToolTip(text);
    m_stcStatus->setText(m_stcStatus->fontMetrics().elidedText(text, Qt::ElideMiddle, m_stcStatus->width()));
}

void CProgressDialog::timerEvent(QTimerEvent* event)
{
    if (m_watchTimerId != 0 && event->timerId() == m_watchTimerId) {
        if (m_bDone.load()) {
            killTimer(m_watchTimerId);
            m_watchTimerId = 0;
            m_btnExit->setEnabled(true);
            PointAtTheLogAfterAFailure();
            EndInterruptGuard();
            if (m_interrupted)
                QDialog::done(QDialog::Accepted);
        }
        return;
    }
    QDialog::timerEvent(event);
}

void CProgressDialog::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CProgressDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
}
