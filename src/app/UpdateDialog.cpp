#include "app/UpdateDialog.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <string>

#include "app/GuiPrompter.h"
#include "app/PackageFileDialog.h"
#include "app/SummaryBox.h"
#include "app/WizardFrame.h"
#include "engine/DeviceResult.h"
#include "engine/RunLog.h"
#include "engine/UpdateJob.h"
#include "engine/UpdateMessages.h"
#include "hid/ReleaseProbe.h"
#include "platform/UpdateLock.h"

namespace {

// The package summary uses CR LF line ends; the text box wants LF.
QString SummaryForDisplay(const std::string& summary)
{
    QString text = QString::fromStdString(summary);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

// The path in full when it fits, else with its middle left out, so that both
// the folder it starts in and the file name stay readable.
QString ElidedPathText(const QLabel& label, const QString& path)
{
    const QString prefix = QString::fromUtf8("升级文件：");
    const QFontMetrics metrics(label.font());
    const int room = label.contentsRect().width() - metrics.horizontalAdvance(prefix);
    return prefix + metrics.elidedText(path, Qt::ElideMiddle, room);
}

// Said when Next found devices of another kind than the package was loaded
// for, and loaded theirs: nothing is written that the user has not seen.
std::string KindChangedText(const std::string& path)
{
    return "连接的设备需要另一个升级文件，已改为载入：\n" + path + "\n请核对升级文件信息后，再点击下一步。";
}

} // namespace

CUpdateDialog::CUpdateDialog(const WizardSetup& setup, QWidget* parent)
    : QDialog(parent), m_setup(setup),
      m_devices(setup.context.hid, setup.context.clock, setup.context.diagnostics)
{
    const DialogUnits units = SetUpWizardFrame(*this);

    // Created in tab order: Next first, so that it has the focus.
    m_btnNext = new QPushButton(QString::fromUtf8("下一步(&N)"), this);
    PlaceInUnits(*m_btnNext, units, 110, 190, 50, 14);
    m_btnNext->setDefault(true);
    m_btnCancel = new QPushButton(QString::fromUtf8("取消(&C)"), this);
    PlaceInUnits(*m_btnCancel, units, 173, 190, 50, 14);
    AddStaticText(*this, units, QString::fromUtf8("请用USB数据线连接电脑和设备，点击下一步"), 13, 170, 202, 8);
    AddStaticText(*this, units, QString::fromUtf8("欢迎使用预警仪升级工具"), 14, 79, 159, 8);
    m_editSummary = new SummaryBox(this);
    PlaceInUnits(*m_editSummary, units, 12, 91, 205, 66);
    m_stcPackagePath = new QLabel(this);
    m_stcPackagePath->setTextFormat(Qt::PlainText);
    m_stcPackagePath->setForegroundRole(QPalette::PlaceholderText);
    PlaceInUnits(*m_stcPackagePath, units, 12, 159, 205, 9);
    setAcceptDrops(true);
    AddBanner(*this, units);
    AddRule(*this, units, 0, 183, 229);

    setTabOrder(m_btnNext, m_btnCancel);
    setTabOrder(m_btnCancel, m_editSummary);
    connect(m_btnNext, &QPushButton::clicked, this, &CUpdateDialog::accept);
    connect(m_btnCancel, &QPushButton::clicked, this, &CUpdateDialog::reject);
    m_btnNext->setFocus();
}

bool CUpdateDialog::OnInitDialog()
{
    RunContext& context = m_setup.context;
    const ReleaseProbe probe = ProbeDeviceRelease(context.hid, context.clock);
    if (!probe.found)
        ShowMessage(kMsgConnectDevice);
    PackageLoad load = LoadPackage(m_setup.places, probe.releaseText, context.clock.TickCount());
    // A package that is there but does not load ends the program; only a
    // missing one is asked for, until one loads or the user gives up.
    if (!load && load.found) {
        ShowMessage(load.message);
        return false;
    }
    if (!load)
        ShowMessage(load.message);
    while (!load) {
        std::optional<std::string> file = ChoosePackageFile(nullptr);
        if (!file)
            return false;
        load = LoadPackageFile(*file, context.clock.TickCount());
        if (!load)
            ShowMessage(load.message);
    }
    UsePackage(std::move(load), KindOf(probe));
    return true;
}

void CUpdateDialog::UsePackage(PackageLoad load, DeviceKind kind)
{
    m_load = std::move(load);
    m_loadedKind = kind;
    m_bDeviceSpecificPackage = kind.deviceSpecific ? 1 : 0;
    LogPackage(m_setup.context.diagnostics, *m_load.package);
    ShowPackage();
}

void CUpdateDialog::ShowMessage(const std::string& text)
{
    ShowPageMessage(m_setup.context.prompter, isVisible() ? this : nullptr, text, ProgramCaption(),
                    QMessageBox::NoIcon);
}

void CUpdateDialog::ShowPackage()
{
    m_editSummary->setPlainText(SummaryForDisplay(m_load.package->summary));
    const QString path = QString::fromStdString(m_load.path);
    m_stcPackagePath->setText(ElidedPathText(*m_stcPackagePath, path));
    m_stcPackagePath->setToolTip(path);
}

QString CUpdateDialog::DroppedPackageFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return {};
    return data->urls().first().toLocalFile();
}

void CUpdateDialog::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedPackageFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CUpdateDialog::dropEvent(QDropEvent* event)
{
    const QString file = DroppedPackageFile(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    // Loaded once the drop has ended: a message box must not run inside the
    // drag-and-drop exchange with the file manager.
    QTimer::singleShot(0, this, [this, file] { LoadDroppedPackage(file); });
}

void CUpdateDialog::LoadDroppedPackage(const QString& file)
{
    PackageLoad load = LoadPackageFile(file.toStdString(), m_setup.context.clock.TickCount());
    if (!load) {
        ShowMessage(load.message);
        return;
    }
    UsePackage(std::move(load), m_loadedKind);
}

void CUpdateDialog::accept()
{
    RunContext& context = m_setup.context;
    // Held until the progress page has closed, or released when the user
    // stays on this page.
    UpdateLock lock(m_setup.lockPath, context.diagnostics);
    if (!lock.Held()) {
        ShowMessage(kMsgAnotherUpdateRunning);
        m_outcome = UpdateOutcome::Locked;
        QDialog::reject();
        return;
    }
    if (!m_devices.IsDevicePresent()) {
        ShowMessage(kMsgDeviceNotFound);
        return;
    }
    const std::optional<DeviceKind> kind = CommonKind(m_devices.List());
    if (!kind) {
        ShowMessage(kMsgMixedDevices);
        return;
    }
    // Devices plugged in since the package was chosen may be of another
    // kind: load theirs and show it before anything is written.
    if (!m_load.named && *kind != m_loadedKind) {
        PackageLoad load = LoadPackage(m_setup.places, ReleaseTextOf(*kind), context.clock.TickCount());
        if (!load) {
            ShowMessage(load.message);
            return;
        }
        const std::string path = load.path;
        UsePackage(std::move(load), *kind);
        ShowMessage(KindChangedText(path));
        return;
    }
    // The welcome page goes away at once; its modal run ends when the
    // progress page has been closed and this handler returns.
    QDialog::accept();
    m_devices.SelectCommandSet(kind->deviceSpecific ? 1 : 0);
    RunUpdate();
}

void CUpdateDialog::RunUpdate()
{
    RunContext& context = m_setup.context;
    const std::vector<HidDeviceInfo> devices = m_devices.List();
    LogRunStart(context.diagnostics, "kt7-updater", *m_load.package, devices, m_setup.verify);
    // The run takes the package: it is released when the run ends.
    UpdateJob job(m_devices, std::move(m_load.package));
    job.progress.m_verify = m_setup.verify;
    CProgressDialog progress(m_setup, job, nullptr);
    progress.RunModal();
    m_outcome = progress.Outcome();
    const std::string message =
        m_outcome == UpdateOutcome::Bootloader ? std::string(kMsgBootloaderFailed) : job.progress.m_failureMessage;
    const std::optional<DeviceFailure> failure =
        m_outcome == UpdateOutcome::Bootloader ? m_devices.Failure() : job.failure;
    LogDeviceResults(context.diagnostics,
                     InStepResults(devices, m_outcome == UpdateOutcome::Success, message, failure));
}
