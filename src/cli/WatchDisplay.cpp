#include "cli/WatchDisplay.h"

#include <algorithm>

#include "cli/TerminalWidth.h"
#include "platform/DisplayWidth.h"

WatchDisplay::WatchDisplay(std::FILE* out, bool interactive) : m_out(out), m_interactive(interactive)
{
    if (m_interactive) {
        std::lock_guard lock(m_mutex);
        DrawLocked();
    }
}

std::string WatchDisplay::LineOf(const Row& row) const
{
    std::string line = row.location + "  " + row.area;
    if (row.percent >= 0) {
        char figures[48];
        std::snprintf(figures, sizeof figures, "  %3d%%  %us", row.percent, (row.remainMs + 999) / 1000);
        line += figures;
    }
    if (!row.status.empty())
        line += "  " + row.status;
    return line;
}

std::string WatchDisplay::CountLine() const
{
    auto count = [&](State state) {
        return std::count_if(m_rows.begin(), m_rows.end(), [&](const Row& row) { return row.state == state; });
    };
    return std::to_string(count(State::Updated)) + " updated, " + std::to_string(count(State::Failed)) +
           " failed, " + std::to_string(count(State::InProgress)) + " in progress";
}

void WatchDisplay::EraseLocked()
{
    if (m_drawnLines > 0)
        std::fprintf(m_out, "\x1b[%zuA\r\x1b[J", m_drawnLines);
    m_drawnLines = 0;
}

void WatchDisplay::DrawLocked()
{
    EraseLocked();
    // A line that wrapped would throw the cursor-up count off.
    const int width = TerminalColumns(fileno(m_out)) - 1;
    for (const Row& row : m_rows) {
        if (row.state != State::InProgress)
            continue;
        std::fprintf(m_out, "%s\n", ClipToWidth(LineOf(row), width).c_str());
        ++m_drawnLines;
    }
    std::fprintf(m_out, "%s\n", ClipToWidth(CountLine(), width).c_str());
    ++m_drawnLines;
    std::fflush(m_out);
}

void WatchDisplay::PrintAboveLocked(const std::string& text)
{
    if (m_interactive)
        EraseLocked();
    std::fprintf(m_out, "%s\n", text.c_str());
    if (m_interactive)
        DrawLocked();
    else
        std::fflush(m_out);
}

int WatchDisplay::Started(const std::string& location)
{
    std::lock_guard lock(m_mutex);
    m_rows.push_back(Row{location, {}, {}, -1, 0, State::InProgress});
    if (m_interactive)
        DrawLocked();
    else
        PrintAboveLocked(CountLine());
    return static_cast<int>(m_rows.size()) - 1;
}

void WatchDisplay::Ended(int device, bool succeeded, const std::string& result)
{
    std::lock_guard lock(m_mutex);
    Row& row = m_rows[device];
    row.state = succeeded ? State::Updated : State::Failed;
    PrintAboveLocked(row.location + "  " + result);
    if (!m_interactive)
        PrintAboveLocked(CountLine());
}

void WatchDisplay::PrintLine(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    PrintAboveLocked(text);
}

void WatchDisplay::SetArea(int device, const std::string& text)
{
    std::lock_guard lock(m_mutex);
    Row& row = m_rows[device];
    if (row.area == text)
        return;
    row.area = text;
    if (m_interactive)
        DrawLocked();
    else
        PrintAboveLocked(row.location + "  " + text);
}

void WatchDisplay::SetStatus(int device, const std::string& text, int /*percent*/, uint32_t /*remainMs*/)
{
    std::lock_guard lock(m_mutex);
    Row& row = m_rows[device];
    if (row.status == text)
        return;
    row.status = text;
    if (m_interactive)
        DrawLocked();
    else if (!text.empty())
        PrintAboveLocked(row.location + "  " + text);
}

void WatchDisplay::SetPercent(int device, int percent, uint32_t remainMs)
{
    std::lock_guard lock(m_mutex);
    Row& row = m_rows[device];
    if (row.percent == percent)
        return;
    row.percent = percent;
    row.remainMs = remainMs;
    // Without a terminal a percent per line would flood a log.
    if (m_interactive)
        DrawLocked();
}

void WatchDisplay::PrintMessage(int device, const std::string& text)
{
    std::lock_guard lock(m_mutex);
    PrintAboveLocked(m_rows[device].location + ": " + text);
}
