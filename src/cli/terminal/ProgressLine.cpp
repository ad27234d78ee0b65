#include "cli/terminal/ProgressLine.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/DisplayWidth.h"

namespace {

constexpr char kPercentDone[] = "%完成，";
constexpr int kMinBarCells = 10;
constexpr int kMaxBarCells = 30;
constexpr int kPercentWidth = 4;  // "100%"
// Room kept for the text beside the bar: the area of a device numbered in
// two digits and the success text with minutes in its time ("Device:64,
// Area:3 " and "升级成功，可以断开连接，耗时59分59秒999毫秒"). The bar gets what
// the terminal has beyond it, so that its width does not jump as the texts
// change; a longer text is clipped instead.
constexpr int kTextColumns = 60;

std::string Bar(int percent, int cells)
{
    const int filled = percent * cells / 100;
    return "[" + std::string(static_cast<size_t>(filled), '#') + std::string(static_cast<size_t>(cells - filled), '-') +
           "]";
}

} // namespace

std::string StatusWithoutPercent(const std::string& status)
{
    const size_t mark = status.find(kPercentDone);
    if (mark == std::string::npos)
        return status;
    size_t start = mark;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(status[start - 1])))
        --start;
    return status.substr(0, start) + status.substr(mark + sizeof kPercentDone - 1);
}

std::string LayoutProgressLine(int columns, int percent, const std::string& area, const std::string& status)
{
    percent = std::clamp(percent, 0, 100);
    char percentText[8];
    std::snprintf(percentText, sizeof percentText, "%3d%%", percent);
    const int usable = columns - 1;
    if (usable < kPercentWidth)
        return ClipToWidth(percentText, std::max(usable, 0));

    std::string text = area + StatusWithoutPercent(status);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    // "[bar] 100% text": two brackets and two spaces around the percent.
    const int barCells = std::min(kMaxBarCells, usable - kPercentWidth - 4 - kTextColumns);
    std::string line = barCells >= kMinBarCells ? Bar(percent, barCells) + " " + percentText : percentText;
    const std::string shown = ClipToWidth(text, usable - DisplayWidth(line) - 1);
    return shown.empty() ? line : line + " " + shown;
}
