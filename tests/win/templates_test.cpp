// The dialog templates and the banner as the resource compiler left them in
// the program: texts in UTF-16 (the script is UTF-8), styles to the bit,
// positions in dialog units, the font, the language.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

#include "win/Resources.h"

namespace {

struct Control {
    DWORD id;
    std::wstring windowClass;
    std::wstring text;  // "#130" for a resource ordinal
    short x, y, cx, cy;
    DWORD style;
    DWORD exStyle = 0;

    bool operator==(const Control&) const = default;
};

struct Dialog {
    DWORD style = 0;
    DWORD exStyle = 0;
    short cx = 0, cy = 0;
    std::wstring caption;
    WORD pointSize = 0;
    std::wstring font;
    std::vector<Control> controls;
};

std::string Utf8(const std::wstring& text)
{
    std::string bytes(text.size() * 3, '\0');
    bytes.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                     static_cast<int>(bytes.size()), nullptr, nullptr));
    return bytes;
}

void PrintTo(const Control& c, std::ostream* out)
{
    *out << "{" << static_cast<int>(c.id) << " " << Utf8(c.windowClass) << " \"" << Utf8(c.text) << "\" " << c.x
         << "," << c.y << " " << c.cx << "x" << c.cy << " style 0x" << std::hex << c.style << " ex 0x" << c.exStyle
         << std::dec << "}";
}

// Reads the fields of a DLGTEMPLATEEX one after the other.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : m_at(data) {}

    template <typename T>
    T Take()
    {
        T value;
        std::memcpy(&value, m_at, sizeof value);
        m_at += sizeof value;
        return value;
    }
    // A string, or an ordinal (0xFFFF, number), written as "#number".
    std::wstring TakeNameOrOrdinal()
    {
        const WORD first = Take<WORD>();
        if (first == 0xFFFF)
            return L"#" + std::to_wstring(Take<WORD>());
        std::wstring text;
        for (WORD c = first; c != 0; c = Take<WORD>())
            text += static_cast<wchar_t>(c);
        return text;
    }
    void AlignToDword()
    {
        while (reinterpret_cast<uintptr_t>(m_at) % 4 != 0)
            ++m_at;
    }

private:
    const BYTE* m_at;
};

// Lower case: class names are compared without case, and resource
// compilers write them as an ordinal, or as a name in either case.
std::wstring ClassName(const std::wstring& nameOrOrdinal)
{
    if (nameOrOrdinal == L"#128")
        return L"button";
    if (nameOrOrdinal == L"#129")
        return L"edit";
    if (nameOrOrdinal == L"#130")
        return L"static";
    std::wstring name = nameOrOrdinal;
    for (wchar_t& c : name)
        c = static_cast<wchar_t>(towlower(c));
    return name;
}

Dialog LoadDialog(int id)
{
    HRSRC resource = FindResourceExW(nullptr, RT_DIALOG, MAKEINTRESOURCEW(id),
                                     MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
    if (!resource)
        return {};
    TemplateReader in(static_cast<const BYTE*>(LockResource(LoadResource(nullptr, resource))));
    Dialog dialog;
    EXPECT_EQ(in.Take<WORD>(), 1);  // DLGTEMPLATEEX
    EXPECT_EQ(in.Take<WORD>(), 0xFFFF);
    in.Take<DWORD>();  // help id
    dialog.exStyle = in.Take<DWORD>();
    dialog.style = in.Take<DWORD>();
    const WORD count = in.Take<WORD>();
    in.Take<short>();
    in.Take<short>();
    dialog.cx = in.Take<short>();
    dialog.cy = in.Take<short>();
    EXPECT_EQ(in.TakeNameOrOrdinal(), L"");  // no menu
    EXPECT_EQ(in.TakeNameOrOrdinal(), L"");  // the dialog class
    dialog.caption = in.TakeNameOrOrdinal();
    dialog.pointSize = in.Take<WORD>();
    in.Take<WORD>();  // weight
    in.Take<BYTE>();  // italic
    in.Take<BYTE>();  // character set
    dialog.font = in.TakeNameOrOrdinal();
    for (WORD i = 0; i < count; ++i) {
        in.AlignToDword();
        Control control{};
        in.Take<DWORD>();  // help id
        control.exStyle = in.Take<DWORD>();
        control.style = in.Take<DWORD>();
        control.x = in.Take<short>();
        control.y = in.Take<short>();
        control.cx = in.Take<short>();
        control.cy = in.Take<short>();
        control.id = in.Take<DWORD>();
        control.windowClass = ClassName(in.TakeNameOrOrdinal());
        control.text = in.TakeNameOrOrdinal();
        const WORD extra = in.Take<WORD>();
        for (WORD b = 0; b < extra; ++b)
            in.Take<BYTE>();
        dialog.controls.push_back(control);
    }
    return dialog;
}

constexpr DWORD kNoId = 0xFFFFFFFF;
constexpr DWORD kPageStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
const std::wstring kCaption = L"预警仪升级工具（适用KT7.0方案）";
const std::wstring kBanner = L"#130";

void ExpectPageFrame(const Dialog& page, DWORD style)
{
    EXPECT_EQ(page.style, style);
    EXPECT_EQ(page.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(page.cx, 230);
    EXPECT_EQ(page.cy, 211);
    EXPECT_EQ(page.caption, kCaption);
    EXPECT_EQ(page.pointSize, 10);
    EXPECT_EQ(page.font, L"宋体");
}

TEST(Templates, WelcomePage)
{
    const Dialog page = LoadDialog(IDD_WELCOME);
    ExpectPageFrame(page, kPageStyle);
    const std::vector<Control> expected{
        {IDOK, L"button", L"下一步(&N)", 110, 190, 50, 14, 0x50010001},
        {IDCANCEL, L"button", L"取消(&C)", 173, 190, 50, 14, 0x50010000},
        {kNoId, L"static", L"请用USB数据线连接电脑和设备，点击下一步", 13, 170, 202, 8, 0x50020000},
        {kNoId, L"static", L"欢迎使用预警仪升级工具", 14, 79, 159, 8, 0x50020000},
        // Multi-line, read-only, border, scrolls both ways, keeps Return, tab stop.
        {IDC_SUMMARY, L"edit", L"", 12, 91, 205, 57,
         WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
             ES_WANTRETURN},
        // The package's path below it, its middle elided when it is long.
        {IDC_PACKAGE_PATH, L"static", L"", 12, 150, 205, 9, 0x50020000 | SS_PATHELLIPSIS | SS_NOPREFIX},
        // Then the start of its SHA-256.
        {IDC_FINGERPRINT, L"static", L"", 12, 159, 205, 9, 0x50020000 | SS_NOPREFIX},
        {kNoId, L"static", kBanner, 12, 7, 205, 67, 0x5000080E},
        {kNoId, L"static", L"", 0, 183, 229, 1, 0x50001007},
    };
    EXPECT_EQ(page.controls, expected);
}

TEST(Templates, ProgressPage)
{
    const Dialog page = LoadDialog(IDD_PROGRESS);
    ExpectPageFrame(page, kPageStyle | WS_VISIBLE);
    const std::vector<Control> expected{
        {kNoId, L"static", kBanner, 12, 7, 205, 67, 0x5000080E},
        {kNoId, L"static", L"", 0, 174, 229, 1, 0x50001007},
        {IDC_PROGRESS, L"msctls_progress32", L"Progress1", 24, 126, 181, 14, 0x50800000},
        {IDC_STATUS, L"static", L"下载进度", 25, 105, 179, 16, 0x50020000},
        {IDC_EXIT, L"button", L"退出(&E)", 161, 182, 51, 15, 0x50010000},
        {IDC_AREA, L"static", L"", 25, 84, 178, 15, 0x50020000},
    };
    EXPECT_EQ(page.controls, expected);
}

TEST(Templates, BannerIsTheArtworkAtItsSize)
{
    HBITMAP banner = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_BANNER), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(banner, nullptr);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectW(banner, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth, 358);
    EXPECT_EQ(dib.dsBm.bmHeight, 109);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 32);
    // The top-left pixel is the banner's dark blue, not black or white:
    // rows and colour order came through the conversion.
    const auto* pixels = static_cast<const BYTE*>(dib.dsBm.bmBits);
    const BYTE* topLeft = pixels + static_cast<size_t>(dib.dsBm.bmHeight - 1) * dib.dsBm.bmWidthBytes;
    EXPECT_GT(topLeft[0], topLeft[2]) << "blue above red";
    DeleteObject(banner);
}

} // namespace
