#include "cli/ParallelDisplay.h"

#include "cli/TerminalWidth.h"
#include "platform/DisplayWidth.h"

ParallelDisplay::ParallelDisplay(std::FILE* out, bool interactive, std::vector<std::string> locations)
    : m_out(out), m_interactive(interactive)
{
    for (std::string& location : locations)
        m_rows.push_back(Row{std::move(location), {}, {}, -1, 0});
}

std::string ParallelDisplay::LineOf(const Row& row) const
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

void ParallelDisplay::RedrawLocked()
{
    if (m_drawn)
        std::fprintf(m_out, "\x1b[%zuA", m_rows.size());
    for (const Row& row : m_rows)
        // A line that wrapped would throw the cursor-up count off.
        std::fprintf(m_out, "\r\x1b[2K%s\n", ClipToWidth(LineOf(row), TerminalColumns(fileno(m_out)) - 1).c_str());
    m_drawn = true;
    std::fflush(m_out);
}

void ParallelDisplay::SetArea(int device, const std::string& text)
{
    std::lock_guard lock(m_mutex);
    Row& row = m_rows[device];
    if (row.area == text)
        return;
    row.area = text;
    if (m_interactive)
        RedrawLocked();
    else
        std::fprintf(m_out, "%s  %s\n", row.location.c_str(), text.c_str());
}

void ParallelDisplay::SetStatus(int device, const std::string& text, int /*percent*/, uint32_t /*remainMs*/)
{
    std::lock_guard lock(m_mutex);
    Row& row = m_rows[device];
    if (row.status == text)
        return;
    row.status = text;
    if (m_interactive)
        RedrawLocked();
    else if (!text.empty())
        std::fprintf(m_out, "%s  %s\n", row.location.c_str(), text.c_str());
}

void ParallelDisplay::SetPercent(int device, int percent, uint32_t remainMs)
{
    std::lock_guard lock(m_mutex);
    Row& row = m_rows[device];
    if (row.percent == percent)
        return;
    row.percent = percent;
    row.remainMs = remainMs;
    // Without a terminal a percent per line would flood a log.
    if (m_interactive)
        RedrawLocked();
}

void ParallelDisplay::PrintMessage(int device, const std::string& text)
{
    std::lock_guard lock(m_mutex);
    if (m_interactive && m_drawn)
        std::fprintf(m_out, "\x1b[%zuA\r\x1b[J", m_rows.size());
    std::fprintf(m_out, "%s: %s\n", m_rows[device].location.c_str(), text.c_str());
    m_drawn = false;
    if (m_interactive)
        RedrawLocked();
}

void ParallelDisplay::Finish()
{
    std::lock_guard lock(m_mutex);
    std::fflush(m_out);
}
