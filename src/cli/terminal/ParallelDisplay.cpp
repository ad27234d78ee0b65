#include "cli/terminal/ParallelDisplay.h"

#include <algorithm>

#include "platform/DisplayWidth.h"

ParallelDisplay::ParallelDisplay(std::FILE* out, bool interactive, const std::vector<std::string>& locations)
    : m_lines(out, interactive)
{
    for (const std::string& location : locations) {
        m_rows.emplace_back(location);
        m_locationWidth = std::max(m_locationWidth, DisplayWidth(location));
    }
}

std::vector<std::string> ParallelDisplay::LinesLocked() const
{
    if (!m_shown)
        return {};
    const int columns = m_lines.Columns();
    std::vector<std::string> lines;
    for (const DeviceRow& row : m_rows)
        lines.push_back(row.Line(columns, m_locationWidth));
    return lines;
}

void ParallelDisplay::OnProgress(int device, const ProgressEvent& event)
{
    std::lock_guard lock(m_mutex);
    std::string plain;
    if (!m_rows[device].Take(event, &plain))
        return;
    m_shown = true;
    if (m_lines.Interactive())
        m_lines.Draw(LinesLocked());
    else if (!plain.empty())
        m_lines.PrintAbove(plain, {});
}

void ParallelDisplay::PrintMessage(int device, const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_lines.PrintAbove(m_rows[device].Location() + ": " + text, LinesLocked());
}

void ParallelDisplay::PrintLine(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_lines.PrintAbove(text, LinesLocked());
}

void ParallelDisplay::Finish()
{
    // The rows stay as they were last drawn.
}
