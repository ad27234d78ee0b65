#include "win/PageParts.h"

#include <commctrl.h>
#include <commdlg.h>

#include <vector>

#include "platform/WideText.h"
#include "win/Placement.h"
#include "win/Resources.h"

namespace {

HICON AppIcon(int metricX, int metricY)
{
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                         GetSystemMetrics(metricX), GetSystemMetrics(metricY), LR_SHARED));
}

// The box a message is shown in is centred over its owner the moment it is
// first activated, before it is drawn. One box at a time per thread.
thread_local HHOOK t_centringHook = nullptr;
thread_local HWND t_centreOver = nullptr;

LRESULT CALLBACK CentreOnActivation(int code, WPARAM wParam, LPARAM lParam)
{
    const HHOOK hook = t_centringHook;
    if (code == HCBT_ACTIVATE && t_centreOver) {
        CentreWindow(reinterpret_cast<HWND>(wParam), t_centreOver);
        t_centreOver = nullptr;
        UnhookWindowsHookEx(t_centringHook);
        t_centringHook = nullptr;
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

} // namespace

void SetUpPage(HWND page, const std::string& caption)
{
    SetWindowTextW(page, Utf8ToWide(caption).c_str());
    SendMessageW(page, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(AppIcon(SM_CXICON, SM_CYICON)));
    SendMessageW(page, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(AppIcon(SM_CXSMICON, SM_CYSMICON)));
}

std::wstring WithCrLf(const std::string& text)
{
    const std::wstring wide = Utf8ToWide(text);
    std::wstring result;
    result.reserve(wide.size() + wide.size() / 16);
    for (size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'\n' && (i == 0 || wide[i - 1] != L'\r'))
            result += L'\r';
        result += wide[i];
    }
    return result;
}

void ShowWizardMessage(HWND owner, const WizardMessage& message)
{
    UINT type = MB_OK | (message.warning ? MB_ICONEXCLAMATION : 0);
    if (owner) {
        t_centreOver = owner;
        t_centringHook = SetWindowsHookExW(WH_CBT, CentreOnActivation, nullptr, GetCurrentThreadId());
    } else {
        type |= MB_SETFOREGROUND;
    }
    MessageBoxW(owner, Utf8ToWide(message.text).c_str(), Utf8ToWide(message.caption).c_str(), type);
    if (t_centringHook) {  // the box never came up
        UnhookWindowsHookEx(t_centringHook);
        t_centringHook = nullptr;
    }
    t_centreOver = nullptr;
}

std::optional<std::string> AskForFile(HWND owner, const FileQuestion& question)
{
    const std::wstring title = Utf8ToWide(question.title);
    const std::wstring folder = Utf8ToWide(question.folder);
    // Name and pattern, each ended by a NUL, and one more NUL after the list.
    std::wstring filter = Utf8ToWide(question.filterName);
    filter += L'\0';
    filter += Utf8ToWide(question.filterPattern);
    filter += L'\0';
    std::vector<wchar_t> file(32768, L'\0');  // a long path's limit

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = title.c_str();
    // The current folder is one of the places a package is looked for: the
    // dialog must not move it.
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&dialog))
        return std::nullopt;
    return WideToUtf8(file.data());
}

PageToolTips::PageToolTips(HWND dialog)
    : m_dialog(dialog),
      m_tips(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                             GetModuleHandleW(nullptr), nullptr))
{
    // Long texts wrap at spaces rather than run across the screen.
    if (m_tips)
        SendMessageW(m_tips, TTM_SETMAXTIPWIDTH, 0, 600);
}

PageToolTips::~PageToolTips()
{
    if (m_tips)
        DestroyWindow(m_tips);
}

void PageToolTips::Set(int controlId, const std::string& text)
{
    if (!m_tips)
        return;
    std::wstring wide = Utf8ToWide(text);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = m_dialog;
    tool.uId = static_cast<UINT_PTR>(controlId);
    SendMessageW(m_tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (wide.empty())
        return;
    HWND control = GetDlgItem(m_dialog, controlId);
    GetWindowRect(control, &tool.rect);
    MapWindowPoints(nullptr, m_dialog, reinterpret_cast<POINT*>(&tool.rect), 2);
    tool.uFlags = TTF_SUBCLASS;
    tool.lpszText = wide.data();
    SendMessageW(m_tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}
