// The welcome page (template 103): banner, welcome line, the package's
// summary, path and SHA-256, Next and Cancel. Next has the focus and is the default
// button, so Return presses it, except in the summary box, which keeps Return
// for itself. Esc and the close box are Cancel. A package file dropped on the
// page is handed to the driver like a chosen one.

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "platform/WideText.h"
#include "win/PageParts.h"
#include "win/Placement.h"
#include "win/Resources.h"
#include "win/Wizard.h"

namespace {

class WelcomeWindow {
public:
    WelcomeWindow(WizardDriver& driver, const WizardStep& step) : m_driver(driver), m_result(step) {}

    static INT_PTR CALLBACK Procedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

    const WizardStep& Result() const { return m_result; }
    const std::optional<POINT>& PlacedAt() const { return m_placedAt; }

private:
    void OnInitDialog(HWND page);
    void Draw(const WizardStep& step);
    void Follow(WizardStep step);
    void OnDropFiles(HDROP drop);

    WizardDriver& m_driver;
    WizardStep m_result;
    HWND m_page = nullptr;
    std::unique_ptr<PageToolTips> m_tips;
    std::optional<POINT> m_placedAt;
};

void WelcomeWindow::OnInitDialog(HWND page)
{
    m_page = page;
    SetUpPage(page, m_driver.Caption());
    CentreWindow(page, nullptr);
    m_tips = std::make_unique<PageToolTips>(page);
    Draw(m_result);
    DragAcceptFiles(page, TRUE);
}

void WelcomeWindow::Draw(const WizardStep& step)
{
    SetDlgItemTextW(m_page, IDC_SUMMARY, WithCrLf(step.summary).c_str());
    SetDlgItemTextW(m_page, IDC_PACKAGE_PATH, Utf8ToWide(step.pathLine).c_str());
    // The line may show the path shortened; its tooltip shows it whole.
    m_tips->Set(IDC_PACKAGE_PATH, step.pathLine);
    SetDlgItemTextW(m_page, IDC_FINGERPRINT, Utf8ToWide(step.fingerprint).c_str());
    m_tips->Set(IDC_FINGERPRINT, step.fingerprintWhole);
}

// Stays for a Welcome step; any other ends the page's modal run.
void WelcomeWindow::Follow(WizardStep step)
{
    step = Settle(m_page, m_driver, std::move(step));
    if (step.page == WizardPage::Welcome) {
        Draw(step);
        return;
    }
    m_result = std::move(step);
    RECT rect{};
    GetWindowRect(m_page, &rect);
    m_placedAt = POINT{rect.left, rect.top};
    EndDialog(m_page, IDOK);
}

void WelcomeWindow::OnDropFiles(HDROP drop)
{
    // One file only: several give no package to choose between.
    std::wstring path;
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 1) {
        path.resize(DragQueryFileW(drop, 0, nullptr, 0) + 1);
        path.resize(DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size())));
    }
    DragFinish(drop);
    if (!path.empty())
        Follow(m_driver.ChooseFile(WideToUtf8(path)));
}

INT_PTR CALLBACK WelcomeWindow::Procedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(page, DWLP_USER, lParam);
        reinterpret_cast<WelcomeWindow*>(lParam)->OnInitDialog(page);
        return TRUE;  // the focus goes to the first tab stop: Next
    }
    auto* self = reinterpret_cast<WelcomeWindow*>(GetWindowLongPtrW(page, DWLP_USER));
    if (!self)  // the messages that come before WM_INITDIALOG
        return FALSE;
    switch (message) {
    case WM_DROPFILES:
        self->OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            self->Follow(self->m_driver.Next());
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            self->Follow(self->m_driver.Cancel());
            return TRUE;
        }
        break;
    case WM_DESTROY:
        self->m_tips.reset();
        break;
    }
    return FALSE;
}

} // namespace

WizardStep RunWelcomeDialog(HINSTANCE instance, WizardDriver& driver, const WizardStep& step,
                            std::optional<POINT>* placedAt)
{
    WelcomeWindow window(driver, step);
    if (DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_WELCOME), nullptr, WelcomeWindow::Procedure,
                        reinterpret_cast<LPARAM>(&window)) <= 0) {
        WizardStep failed;
        failed.exitCode = kNoWindowExitCode;
        return failed;
    }
    *placedAt = window.PlacedAt();
    return window.Result();
}
