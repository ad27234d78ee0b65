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
#include "texts/UserTexts.h"

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
    const QString prefix = QString::fromUtf8(kPackagePathPrefix);
    const QFontMetrics metrics(label.font());
    const int room = label.contentsRect().width() - metrics.horizontalAdvance(prefix);
    return prefix + metrics.elidedText(path, Qt::ElideMiddle, room);
}

} // namespace

CUpdateDialog::CUpdateDialog(UpdateWizard& wizard, const WizardSetup& setup, QWidget* parent)
    : QDialog(parent), m_wizard(wizard), m_setup(setup)
{
    const DialogUnits units = SetUpWizardFrame(*this);

    // Created in tab order: Next first, so that it has the focus.
    m_btnNext = new QPushButton(QString::fromUtf8(kNextButton), this);
    PlaceInUnits(*m_btnNext, units, 110, 190, 50, 14);
    m_btnNext->setDefault(true);
    m_btnCancel = new QPushButton(QString::fromUtf8(kCancelButton), this);
    PlaceInUnits(*m_btnCancel, units, 173, 190, 50, 14);
    AddStaticText(*this, units, QString::fromUtf8(kConnectInstruction), 13, 170, 202, 8);
    AddStaticText(*this, units, QString::fromUtf8(kWelcomeLine), 14, 79, 159, 8);
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
    // Boxes before the page is shown are centred where it will be.
    CenterOnScreen(*this);
    WelcomeState state = m_wizard.Start();
    if (!state.note.empty())
        ShowMessage(state.note);
    // A package that is there but does not load ends the program; only a
    // missing one is asked for, until one loads or the user gives up.
    if (state.kind == WelcomeState::Kind::Damaged) {
        ShowMessage(state.message);
        return false;
    }
    if (state.kind == WelcomeState::Kind::NoPackage && state.messageFirst)
        ShowMessage(state.message);
    while (state.kind != WelcomeState::Kind::Loaded) {
        std::optional<std::string> file = ChoosePackageFile(nullptr);
        if (!file)
            return false;
        state = m_wizard.ChooseFile(*file);
        if (state.kind != WelcomeState::Kind::Loaded)
            ShowMessage(state.message);
    }
    ShowPackage(state);
    return true;
}

void CUpdateDialog::ShowMessage(const std::string& text)
{
    ShowPageMessage(m_setup.context.prompter, this, text, ProgramCaption(), QMessageBox::NoIcon);
}

void CUpdateDialog::ShowPackage(const WelcomeState& state)
{
    m_bDeviceSpecificPackage = state.releaseText.empty() ? 0 : 1;
    m_editSummary->setPlainText(SummaryForDisplay(state.summary));
    const QString path = QString::fromStdString(state.path);
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
    const WelcomeState state = m_wizard.ChooseFile(file.toStdString());
    if (state.kind == WelcomeState::Kind::Loaded)
        ShowPackage(state);
    else
        ShowMessage(state.message);
}

void CUpdateDialog::accept()
{
    const NextAnswer answer = m_wizard.Next();
    if (answer.kind != NextAnswer::Kind::GoOn) {
        if (answer.welcomeChanged)
            ShowPackage(answer.welcome);
        ShowMessage(answer.message);
        return;
    }
    // The welcome page goes away at once; its modal run ends when the
    // progress page has been closed and this handler returns.
    QDialog::accept();
    CProgressDialog progress(m_wizard, m_setup, nullptr);
    progress.RunModal();
    m_outcome = m_wizard.End().outcome;
}
