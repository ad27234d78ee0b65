// The progress page (template 104): banner, status line, bar, device/area
// line and Exit. A worker thread runs the driver's device phase; it stores
// the percent and posts WM_PROGRESS_UPDATE, which the page answers by moving
// the bar to the percent as it is then, and it sets the two lines with
// SetWindowTextW, which returns once the page's thread has applied the text.
// The page polls the worker's done flag every 200 ms; the first tick that
// sees it enables Exit, once. Exit is the only way out: Enter, Esc, the close
// box and the end of the Windows session are held while the worker runs, and
// Enter, Esc and the close box stay without effect afterwards.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "platform/WideText.h"
#include "win/PageParts.h"
#include "win/Placement.h"
#include "win/Resources.h"
#include "win/Wizard.h"

namespace {

constexpr UINT WM_PROGRESS_UPDATE = WM_USER + 1001;
// The worker's message box, shown on the page's thread while the worker waits.
constexpr UINT WM_SHOW_MESSAGE = WM_APP + 1;
constexpr UINT_PTR IDT_WATCH = 1;
constexpr UINT kWatchPeriodMs = 200;

class ProgressWindow final : public DevicePhaseSink {
public:
    ProgressWindow(WizardDriver& driver, const WizardStep& step, std::optional<POINT> placedAt)
        : m_driver(driver), m_step(step), m_placedAt(placedAt)
    {
    }
    ~ProgressWindow() override
    {
        if (m_worker.joinable())
            m_worker.join();
    }

    static INT_PTR CALLBACK Procedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

    int ExitCode() const { return m_exitCode; }

    // The worker's side.
    void SetStatusText(const std::string& text) override;
    void SetAreaText(const std::string& text) override;
    void SetPercent(int percent) override;
    void ShowMessage(const WizardMessage& message) override;

private:
    void OnInitDialog(HWND page);
    void OnWatch();
    void ShowLogPointer(const std::string& text);
    bool WorkerRuns() const { return m_worker.joinable() && !m_finished; }

    WizardDriver& m_driver;
    const WizardStep& m_step;
    const std::optional<POINT> m_placedAt;
    HWND m_page = nullptr;
    std::unique_ptr<PageToolTips> m_tips;
    std::atomic<int> m_nPos{0};
    std::atomic<int> m_bDone{0};
    bool m_finished = false;  // the page has seen m_bDone
    int m_exitCode = kNoWindowExitCode;
    std::thread m_worker;
};

void ProgressWindow::OnInitDialog(HWND page)
{
    m_page = page;
    SetUpPage(page, m_driver.Caption());
    if (m_placedAt)
        PlaceWindowAt(page, *m_placedAt);  // where the welcome page was: the wizard turns a page
    else
        CentreWindow(page, nullptr);
    m_tips = std::make_unique<PageToolTips>(page);
    // Shown before the page itself: the warning.
    for (const WizardMessage& message : m_step.messages)
        ShowWizardMessage(page, message);

    SendDlgItemMessageW(page, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SetTimer(page, IDT_WATCH, kWatchPeriodMs, nullptr);
    EnableWindow(GetDlgItem(page, IDC_EXIT), FALSE);
    m_worker = std::thread([this] {
        m_driver.RunDevicePhase(*this);
        m_bDone.store(1);  // the worker's last touch of the page
    });
}

void ProgressWindow::OnWatch()
{
    if (!m_bDone.load())
        return;
    KillTimer(m_page, IDT_WATCH);
    m_finished = true;
    const WizardEnd end = m_driver.End();
    m_exitCode = end.exitCode;
    // The status line has room for two lines: the outcome, then why no record was kept.
    const std::string status =
        end.recordsWarning.empty() ? end.statusText : end.statusText + "\n" + end.recordsWarning;
    if (!status.empty())
        SetDlgItemTextW(m_page, IDC_STATUS, WithCrLf(status).c_str());
    if (!end.logPointer.empty())
        ShowLogPointer(end.logPointer);
    // The last text may be longer than the line (a failure names the log).
    wchar_t shown[2048] = {};
    GetDlgItemTextW(m_page, IDC_STATUS, shown, static_cast<int>(std::size(shown)));
    m_tips->Set(IDC_STATUS, WideToUtf8(shown));
    EnableWindow(GetDlgItem(m_page, IDC_EXIT), TRUE);
}

// The log's path, whole: a read-only edit in the device/area line's place,
// which scrolls and can be selected and copied however long the path.
void ProgressWindow::ShowLogPointer(const std::string& text)
{
    HWND area = GetDlgItem(m_page, IDC_AREA);
    RECT rect{};
    GetWindowRect(area, &rect);
    MapWindowPoints(nullptr, m_page, reinterpret_cast<POINT*>(&rect), 2);
    HWND edit = CreateWindowExW(0, L"EDIT", Utf8ToWide(text).c_str(),
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, m_page,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LOG_POINTER)), nullptr, nullptr);
    SendMessageW(edit, WM_SETFONT, SendMessageW(m_page, WM_GETFONT, 0, 0), TRUE);
    ShowWindow(area, SW_HIDE);
    m_tips->Set(IDC_LOG_POINTER, text);
}

void ProgressWindow::SetStatusText(const std::string& text)
{
    SetDlgItemTextW(m_page, IDC_STATUS, Utf8ToWide(text).c_str());
}

void ProgressWindow::SetAreaText(const std::string& text)
{
    SetDlgItemTextW(m_page, IDC_AREA, Utf8ToWide(text).c_str());
}

void ProgressWindow::SetPercent(int percent)
{
    m_nPos.store(std::clamp(percent, 0, 100));
    PostMessageW(m_page, WM_PROGRESS_UPDATE, 0, 0);
}

void ProgressWindow::ShowMessage(const WizardMessage& message)
{
    SendMessageW(m_page, WM_SHOW_MESSAGE, 0, reinterpret_cast<LPARAM>(&message));
}

INT_PTR CALLBACK ProgressWindow::Procedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(page, DWLP_USER, lParam);
        reinterpret_cast<ProgressWindow*>(lParam)->OnInitDialog(page);
        return TRUE;
    }
    auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(page, DWLP_USER));
    if (!self)  // the messages that come before WM_INITDIALOG
        return FALSE;
    switch (message) {
    case WM_PROGRESS_UPDATE:
        // The message carries nothing: the bar shows the percent as it is now.
        SendDlgItemMessageW(page, IDC_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(self->m_nPos.load()), 0);
        return TRUE;
    case WM_TIMER:
        if (wParam != IDT_WATCH)
            break;
        self->OnWatch();
        return TRUE;
    case WM_SHOW_MESSAGE:
        ShowWizardMessage(page, *reinterpret_cast<const WizardMessage*>(lParam));
        return TRUE;
    case WM_QUERYENDSESSION:
        // Ending the session now would cut the devices off mid-write.
        if (!self->WorkerRuns())
            break;
        SetWindowLongPtrW(page, DWLP_MSGRESULT, FALSE);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_EXIT:
            if (HIWORD(wParam) == BN_CLICKED && self->m_finished)
                EndDialog(page, IDOK);
            return TRUE;
        case IDOK:      // Enter
        case IDCANCEL:  // Esc, the close box, Alt+F4
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

int RunProgressDialog(HINSTANCE instance, WizardDriver& driver, const WizardStep& step, std::optional<POINT> placedAt)
{
    ProgressWindow window(driver, step, placedAt);
    if (DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_PROGRESS), nullptr, ProgressWindow::Procedure,
                        reinterpret_cast<LPARAM>(&window)) <= 0)
        return kNoWindowExitCode;
    return window.ExitCode();
}
