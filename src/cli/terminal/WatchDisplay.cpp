#include "cli/terminal/WatchDisplay.h"

#include <algorithm>

#include "platform/DisplayWidth.h"
#include "texts/UserTexts.h"

WatchDisplay::WatchDisplay(std::FILE* out, bool interactive) : m_lines(out, interactive)
{
    std::lock_guard lock(m_mutex);
    m_lines.Draw(LinesLocked());
}

std::string WatchDisplay::CountLine() const
{
    auto count = [&](State state) {
        return std::count_if(m_devices.begin(), m_devices.end(),
                             [&](const Watched& device) { return device.state == state; });
    };
    return WatchCountText(static_cast<int>(count(State::Updated)), static_cast<int>(count(State::Failed)),
                          static_cast<int>(count(State::InProgress)));
}

std::vector<std::string> WatchDisplay::LinesLocked() const
{
    int locationWidth = 0;
    for (const Watched& device : m_devices)
        if (device.state == State::InProgress)
            locationWidth = std::max(locationWidth, DisplayWidth(device.row.Location()));
    const int columns = m_lines.Columns();
    std::vector<std::string> lines;
    for (const Watched& device : m_devices)
        if (device.state == State::InProgress)
            lines.push_back(device.row.Line(columns, locationWidth));
    lines.push_back(CountLine());
    return lines;
}

int WatchDisplay::Started(const std::string& location)
{
    std::lock_guard lock(m_mutex);
    m_devices.push_back(Watched{DeviceRow(location)});
    if (m_lines.Interactive())
        m_lines.Draw(LinesLocked());
    else
        m_lines.PrintAbove(CountLine(), {});
    return static_cast<int>(m_devices.size()) - 1;
}

void WatchDisplay::Ended(int device, bool succeeded, const std::string& result)
{
    std::lock_guard lock(m_mutex);
    Watched& watched = m_devices[device];
    watched.state = succeeded ? State::Updated : State::Failed;
    m_lines.PrintAbove(watched.row.Labelled(result), LinesLocked());
    if (!m_lines.Interactive())
        m_lines.PrintAbove(CountLine(), {});
}

void WatchDisplay::PrintLine(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_lines.PrintAbove(text, LinesLocked());
}

void WatchDisplay::OnProgress(int device, const ProgressEvent& event)
{
    std::lock_guard lock(m_mutex);
    std::string plain;
    if (!m_devices[device].row.Take(event, &plain))
        return;
    if (m_lines.Interactive())
        m_lines.Draw(LinesLocked());
    else if (!plain.empty())
        m_lines.PrintAbove(plain, {});
}

void WatchDisplay::PrintMessage(int device, const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_lines.PrintAbove(m_devices[device].row.Location() + ": " + text, LinesLocked());
}

void WatchDisplay::Finish()
{
    std::lock_guard lock(m_mutex);
    m_lines.Draw(LinesLocked());
}
