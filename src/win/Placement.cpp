#include "win/Placement.h"

#include <algorithm>

namespace {

RECT WorkAreaOf(HMONITOR monitor)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(monitor, &info);
    return info.rcWork;
}

SIZE SizeOf(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

LONG KeptInside(LONG start, LONG length, LONG low, LONG high)
{
    return std::max(low, std::min(start, high - length));
}

void MoveTo(HWND window, POINT topLeft)
{
    SetWindowPos(window, nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

POINT CentredPosition(SIZE size, const RECT& over, const RECT& workArea)
{
    const LONG x = over.left + (over.right - over.left - size.cx) / 2;
    const LONG y = over.top + (over.bottom - over.top - size.cy) / 2;
    return {KeptInside(x, size.cx, workArea.left, workArea.right), KeptInside(y, size.cy, workArea.top, workArea.bottom)};
}

void CentreWindow(HWND window, HWND over)
{
    RECT area{};
    HMONITOR monitor = nullptr;
    if (over) {
        GetWindowRect(over, &area);
        monitor = MonitorFromWindow(over, MONITOR_DEFAULTTONEAREST);
    } else {
        POINT pointer{};
        GetCursorPos(&pointer);
        monitor = MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY);
    }
    const RECT workArea = WorkAreaOf(monitor);
    MoveTo(window, CentredPosition(SizeOf(window), over ? area : workArea, workArea));
}

void PlaceWindowAt(HWND window, POINT topLeft)
{
    const SIZE size = SizeOf(window);
    const RECT at{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy};
    MoveTo(window, CentredPosition(size, at, WorkAreaOf(MonitorFromPoint(topLeft, MONITOR_DEFAULTTONEAREST))));
}
