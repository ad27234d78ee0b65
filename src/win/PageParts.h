#pragma once
// What the wizard's dialogs share beyond their templates: caption and icon,
// tooltips, message boxes and the file dialog.

#include <windows.h>

#include <optional>
#include <string>

#include "win/WizardDriver.h"

// The page's caption and the program's icon (title bar and task bar).
void SetUpPage(HWND page, const std::string& caption);

// Text for an edit control, whose line ends must be CR LF.
std::wstring WithCrLf(const std::string& text);

// Shows `message` in a box owned by `owner` and centred over it; with no
// owner, in front of the screen.
void ShowWizardMessage(HWND owner, const WizardMessage& message);

// Asks for a file; nothing when the user cancels.
std::optional<std::string> AskForFile(HWND owner, const FileQuestion& question);

// Tooltips over a dialog's controls. They are attached to the dialog rather
// than to the controls, since a static passes the mouse through to it.
class PageToolTips {
public:
    explicit PageToolTips(HWND dialog);
    ~PageToolTips();
    PageToolTips(const PageToolTips&) = delete;
    PageToolTips& operator=(const PageToolTips&) = delete;

    // Shows `text` over control `controlId`; an empty text shows none.
    void Set(int controlId, const std::string& text);

private:
    HWND m_dialog;
    HWND m_tips;
};
