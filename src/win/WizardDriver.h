#pragma once
// What the Windows wizard's dialogs ask of the program behind them. The
// dialogs decide nothing and hold no text beyond their templates: each user
// action comes in here, and what goes back says what to draw next. Texts and
// paths are UTF-8; the dialogs turn them into UTF-16 at the window.

#include <memory>
#include <string>
#include <vector>

// A message box with one OK button.
struct WizardMessage {
    std::string text;
    std::string caption;
    bool warning = false;  // with the exclamation icon
};

enum class WizardPage {
    Welcome,     // the summary page, until Next or Cancel
    FileDialog,  // asks for a package: then ChooseFile(), or Cancel() if none is chosen
    Progress,    // the progress page: RunDevicePhase() on a worker, then End()
    End,         // the program ends with exitCode
};

// The open-file dialog that asks for a package.
struct FileQuestion {
    std::string title;
    std::string filterName;     // the filter's line in the dialog
    std::string filterPattern;  // e.g. KT7_Down*.dat
    std::string folder;         // where it opens; empty: where Windows chooses
};

// What follows an action: the messages, in order, then the page. The
// messages of a step to the progress page are that page's, shown before it
// appears; the others belong to the page that is open, if any.
struct WizardStep {
    std::vector<WizardMessage> messages;
    WizardPage page = WizardPage::End;
    std::string summary;        // Welcome: the summary box
    std::string pathLine;       // Welcome: the line below it, with the package's path
    std::string fingerprint;    // Welcome: the line below that, with the start of the package's SHA-256
    std::string fingerprintWhole;  // Welcome: the whole SHA-256, the tooltip of that line
    FileQuestion fileQuestion;  // FileDialog
    int exitCode = 0;           // End
};

// The progress page, as the device phase sees it. Called on the worker
// thread: the texts and the message are in place (the message closed) when
// the call returns; the bar follows the percent soon after.
class DevicePhaseSink {
public:
    virtual ~DevicePhaseSink() = default;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void SetAreaText(const std::string& text) = 0;
    virtual void SetPercent(int percent) = 0;  // 0 to 100
    virtual void ShowMessage(const WizardMessage& message) = 0;
};

// How the progress page ends.
struct WizardEnd {
    std::string statusText;  // the status line's last text; empty keeps the one shown
    // Below it, when no record of the update could be kept: why. Empty: none.
    std::string recordsWarning;
    // After a failure, where the log that says more is: shown whole and
    // selectable in place of the device/area line. Empty: none.
    std::string logPointer;
    int exitCode = 0;
};

class WizardDriver {
public:
    virtual ~WizardDriver() = default;

    // Both pages' caption.
    virtual std::string Caption() = 0;
    // Before any page is shown.
    virtual WizardStep Start() = 0;
    // A file chosen in the file dialog or dropped on the welcome page.
    virtual WizardStep ChooseFile(const std::string& path) = 0;
    // Cancel, Esc or the close box on the welcome page; the file dialog closed without a file.
    virtual WizardStep Cancel() = 0;
    // Next on the welcome page.
    virtual WizardStep Next() = 0;
    // The update itself, on the progress page's worker thread.
    virtual void RunDevicePhase(DevicePhaseSink& sink) = 0;
    // Once RunDevicePhase() has returned.
    virtual WizardEnd End() = 0;
};

// The driver kt7-updater.exe runs, given its arguments (UTF-8, without the program's name).
std::unique_ptr<WizardDriver> CreateWizardDriver(const std::vector<std::string>& arguments);
