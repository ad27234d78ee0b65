#include "app/GuiPrompter.h"

#include <QApplication>
#include <QThread>

#include "app/DialogFont.h"
#include "platform/ProgramDirectory.h"

namespace {

void ShowOnThisThread(QWidget* owner, const QString& text, const QString& caption, QMessageBox::Icon icon)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    box.setFont(DialogFont());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace

QString ProgramCaption()
{
    return QString::fromStdString(GetProgramName());
}

void GuiPrompter::ShowMessage(const std::string& text)
{
    Show(nullptr, text, ProgramCaption(), QMessageBox::NoIcon);
}

void GuiPrompter::Show(QWidget* owner, const std::string& text, const QString& caption, QMessageBox::Icon icon)
{
    QCoreApplication* app = QCoreApplication::instance();
    const QString message = QString::fromStdString(text);
    if (!app || QThread::currentThread() == app->thread()) {
        ShowOnThisThread(owner ? owner : QApplication::activeModalWidget(), message, caption, icon);
        return;
    }
    // Widgets belong to the GUI thread: the box is shown there while this
    // thread waits, as a worker's message box would block it. The owner is
    // looked up there too, since a widget may not be touched from here.
    QMetaObject::invokeMethod(
        app, [&] { ShowOnThisThread(QApplication::activeModalWidget(), message, caption, icon); },
        Qt::BlockingQueuedConnection);
}

void ShowPageMessage(Prompter& prompter, QWidget* owner, const std::string& text, const QString& caption,
                     QMessageBox::Icon icon)
{
    if (auto* gui = dynamic_cast<GuiPrompter*>(&prompter)) {
        gui->Show(owner, text, caption, icon);
        return;
    }
    prompter.ShowMessage(text);
}
