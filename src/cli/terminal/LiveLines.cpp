#include "cli/terminal/LiveLines.h"

#include "cli/terminal/TerminalWidth.h"
#include "platform/DisplayWidth.h"

int LiveLines::Columns() const
{
    return TerminalColumns(fileno(m_out));
}

void LiveLines::Erase()
{
    // Up to the first line drawn, and everything below it away, including
    // whatever the terminal echoed there meanwhile.
    if (m_drawn > 0)
        std::fprintf(m_out, "\x1b[%zuA\r\x1b[J", m_drawn);
    m_drawn = 0;
}

void LiveLines::Draw(const std::vector<std::string>& lines)
{
    if (!m_interactive)
        return;
    Erase();
    const int width = Columns() - 1;
    for (const std::string& line : lines)
        std::fprintf(m_out, "%s\n", ClipToWidth(line, width).c_str());
    m_drawn = lines.size();
    std::fflush(m_out);
}

void LiveLines::PrintAbove(const std::string& text, const std::vector<std::string>& lines)
{
    if (m_interactive)
        Erase();
    std::fprintf(m_out, "%s\n", text.c_str());
    if (m_interactive)
        Draw(lines);
    else
        std::fflush(m_out);
}
