#include "app/ProgressDialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimerEvent>

#include "app/GuiPrompter.h"
#include "app/WizardFrame.h"
#include "texts/UserTexts.h"

namespace {

const char kInterruptNotice[] =
    "kt7-updater: the update is being finished; interrupting it now would leave the device half-written.\n";

// The device phase, as an object living on the page's worker thread.
class DevicePhaseWorker final : public QObject {
public:
    DevicePhaseWorker(UpdateWizard& wizard, DevicePhaseView& view) : m_wizard(wizard), m_view(view) {}
    void Run() { m_wizard.RunDevicePhase(m_view); }

private:
    UpdateWizard& m_wizard;
    DevicePhaseView& m_view;
};

} // namespace

CProgressDialog::CProgressDialog(UpdateWizard& wizard, const WizardSetup& setup, QWidget* parent)
    : QDialog(parent), m_wizard(wizard), m_setup(setup)
{
    const DialogUnits units = SetUpWizardFrame(*this);

    AddBanner(*this, units);
    AddRule(*this, units, 0, 174, 229);
    m_progress = new QProgressBar(this);
    PlaceInUnits(*m_progress, units, 24, 126, 181, 14);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_stcStatus = AddStaticText(*this, units, QString::fromUtf8(kProgressTitle), 25, 105, 179, 16);
    m_btnExit = new QPushButton(QString::fromUtf8(kExitButton), this);
    PlaceInUnits(*m_btnExit, units, 161, 182, 51, 15);
    // Not a default button: Enter must not reach Exit.
    m_btnExit->setAutoDefault(false);
    m_btnExit->setDefault(false);
    m_stcArea = AddStaticText(*this, units, QString(), 25, 84, 178, 15);

    connect(m_btnExit, &QPushButton::clicked, this, [this] { QDialog::done(QDialog::Accepted); });
}

CProgressDialog::~CProgressDialog()
{
    // The worker makes no call to this page after the done flag, and Exit
    // (the only way out) comes after it: the thread is ending or ended.
    m_thread.quit();
    m_thread.wait();
}

int CProgressDialog::RunModal()
{
    CenterOnScreen(*this);
    ShowPageMessage(m_setup.context.prompter, this, kMsgDoNotDisturb, PageCaption(), QMessageBox::Warning);
    m_progress->setRange(0, 100);
    m_watchTimerId = startTimer(m_setup.watchPeriodMs);
    m_btnExit->setEnabled(false);
    StartDevicePhase();
    return exec();
}

void CProgressDialog::StartDevicePhase()
{
    // Made on this thread before the worker starts: the worker inherits the
    // blocked signals, so no device transfer is cut short by one.
    m_interruptGuard.emplace(kInterruptNotice);
    auto* worker = new DevicePhaseWorker(m_wizard, *this);
    worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::started, worker, [worker] { worker->Run(); });
    connect(&m_thread, &QThread::finished, worker, &QObject::deleteLater);
    // The thread ends once the phase has returned.
    connect(&m_thread, &QThread::started, worker, [this] { m_thread.quit(); }, Qt::QueuedConnection);
    m_thread.start();
}

void CProgressDialog::OnProgress(const ProgressEvent& event)
{
    switch (event.change) {
    case ProgressEvent::Change::Percent:
        // Never waits: the bar shows the latest percent when the page gets to it.
        QCoreApplication::postEvent(this, new QEvent(WM_PROGRESS_UPDATE));
        return;
    case ProgressEvent::Change::Phase:
        return;
    case ProgressEvent::Change::Area:
    case ProgressEvent::Change::Status:
        break;
    }
    const QString area = QString::fromStdString(event.areaText);
    const QString status = QString::fromStdString(event.statusText);
    // The text is in place on the page before the worker goes on.
    QMetaObject::invokeMethod(
        this,
        [this, &area, &status] {
            m_stcArea->setText(area);
            m_stcStatus->setText(status);
        },
        QThread::currentThread() == thread() ? Qt::DirectConnection : Qt::BlockingQueuedConnection);
}

void CProgressDialog::ShowMessage(const std::string& text)
{
    // Shown on the page's thread, centred over the page, while the worker waits.
    ShowPageMessage(m_setup.context.prompter, nullptr, text, ProgramCaption(), QMessageBox::NoIcon);
}

bool CProgressDialog::event(QEvent* event)
{
    if (event->type() == WM_PROGRESS_UPDATE) {
        // The event carries nothing: the bar shows the percent as it is now.
        m_progress->setValue(m_wizard.Progress().m_nPos.load());
        return true;
    }
    return QDialog::event(event);
}

// After a failure the area line gives the log's path, whole and selectable,
// when the log holds the failure's lines.
void CProgressDialog::ShowEnd()
{
    const EndState& end = m_wizard.End();
    m_stcStatus->setText(QString::fromStdString(end.statusText));
    m_progress->setValue(m_wizard.Progress().m_nPos.load());
    if (end.logPointer.empty())
        return;
    m_logLine = new QLineEdit(QString::fromStdString(end.logPointer), this);
    m_logLine->setReadOnly(true);
    m_logLine->setFrame(false);
    m_logLine->setToolTip(QString::fromStdString(end.logPath));
    m_logLine->setGeometry(m_stcArea->geometry());
    m_logLine->setCursorPosition(0);
    m_logLine->setStyleSheet(QStringLiteral("background: transparent"));
    m_stcArea->hide();
    m_logLine->show();
}

void CProgressDialog::timerEvent(QTimerEvent* event)
{
    if (m_watchTimerId != 0 && event->timerId() == m_watchTimerId) {
        if (Done()) {
            killTimer(m_watchTimerId);
            m_watchTimerId = 0;
            m_btnExit->setEnabled(true);
            ShowEnd();
            m_interrupted = m_interruptGuard && m_interruptGuard->Interrupted();
            m_interruptGuard.reset();
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
