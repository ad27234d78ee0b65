#include "app/UpdateDialog.h"

#include <QLabel>
#include <QPushButton>
#include <string>

#include "app/GuiPrompter.h"
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
    PlaceInUnits(*m_editSummary, units, 12, 93, 205, 69);
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
    if (!LoadPackage(&summary, &deviceSpecific, ProbeDeviceRelease))
        return false;
    m_bDeviceSpecificPackage = deviceSpecific;
    m_editSummary->setPlainText(SummaryForDisplay(summary));
    return true;
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
