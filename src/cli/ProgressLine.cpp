#include "cli/ProgressLine.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/DisplayWidth.h"

namespace {

constexpr char kPercentDone[] = "%完成，";
constexpr int kMinBarCells = 10;
constexpr int kMaxBarCells = 30;

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
    const int percentWidth = 4;
    if (usable < percentWidth)
        return ClipToWidth(percentText, std::max(usable, 0));

    std::string text = area + StatusWithoutPercent(status);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    // "[bar] 100% text": two brackets and two spaces around the percent.
    const int barCells = std::min(kMaxBarCells, usable - percentWidth - 4 - DisplayWidth(text));
    if (barCells >= kMinBarCells)
        return Bar(percent, barCells) + " " + percentText + " " + text;
    if (text.empty() || usable < percentWidth + 2)
        return percentText;
    return std::string(percentText) + " " + ClipToWidth(text, usable - percentWidth - 1);
}
