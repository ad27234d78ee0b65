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
#include "engine/UpdateMessages.h"
#include "hid/CommandSet.h"
#include "hid/MixedDevices.h"
#include "hid/Presence.h"
#include "hid/ReleaseProbe.h"
#include "package/Package.h"
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

} // namespace

CUpdateDialog::CUpdateDialog(QWidget* parent) : QDialog(parent)
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
    std::string summary;
    int deviceSpecific = 0;
    bool loaded = LoadPackage(&summary, &deviceSpecific, ProbeDeviceRelease);
    m_bDeviceSpecificPackage = deviceSpecific;
    // A package that is there but does not load ends the program; only a
    // missing one is asked for, until one loads or the user gives up.
    if (!loaded && CurrentPackage().m_packageFound)
        return false;
    while (!loaded) {
        std::optional<std::string> file = ChoosePackageFile(nullptr);
        if (!file)
            return false;
        loaded = ReplacePackage(*file, &summary);
    }
    ShowPackage(summary);
    return true;
}

void CUpdateDialog::ShowPackage(const std::string& summary)
{
    m_editSummary->setPlainText(SummaryForDisplay(summary));
    const QString path = QString::fromStdString(CurrentPackage().m_packagePath);
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
    std::string summary;
    if (ReplacePackage(file.toStdString(), &summary))
        ShowPackage(summary);
}

void CUpdateDialog::accept()
{
    // Held until the progress page has closed, or released when the user
    // stays on this page.
    UpdateLock lock(m_updateLockPath);
    if (!lock.Held()) {
        ShowPageMessage(this, kMsgAnotherUpdateRunning, ProgramCaption(), QMessageBox::NoIcon);
        m_outcome = UpdateOutcome::Locked;
        QDialog::reject();
        return;
    }
    if (!IsDevicePresent()) {
        ShowPageMessage(this, kMsgDeviceNotFound, ProgramCaption(), QMessageBox::NoIcon);
        return;
    }
    if (AreMixedDevicesAttached()) {
        ShowPageMessage(this, kMsgMixedDevices, ProgramCaption(), QMessageBox::NoIcon);
        return;
    }
    // The welcome page goes away at once; its modal run ends when the
    // progress page has been closed and this handler returns.
    QDialog::accept();

    CProgressDialog progress(nullptr, m_progressWatchPeriodMs);
    SelectCommandSet(m_bDeviceSpecificPackage);
    progress.RunModal();
    m_outcome = progress.Outcome();
}
