#pragma once
// Message boxes of the wizard. Every box is shown on the GUI thread; a
// caller on another thread (the update's worker) waits until it is closed.

#include <QMessageBox>
#include <QString>
#include <string>

#include "platform/Prompter.h"

class GuiPrompter final : public Prompter {
public:
    // A plain OK box captioned with the program's name.
    void ShowMessage(const std::string& text) override;
    // `owner` is used when called on the GUI thread; a worker's box belongs
    // to the page that is open.
    void Show(QWidget* owner, const std::string& text, const QString& caption, QMessageBox::Icon icon);
};

// Shows a box through `prompter`: with caption and icon when it is the GUI's,
// as plain text otherwise (a test's recording prompter).
void ShowPageMessage(Prompter& prompter, QWidget* owner, const std::string& text, const QString& caption,
                     QMessageBox::Icon icon);

// The caption of the program's ordinary message boxes.
QString ProgramCaption();
