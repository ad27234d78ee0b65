#include "cli/TerminalPage.h"

#include "cli/ProgressLine.h"
#include "cli/TerminalWidth.h"

TerminalPage::TerminalPage(std::FILE* out, bool interactive) : m_out(out), m_interactive(interactive) {}

void TerminalPage::SetAreaText(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_area = text;
    ShowLocked(text);
}

void TerminalPage::SetStatusText(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_status = text;
    ShowLocked(text);
}

void TerminalPage::OnProgress(const ProgressEvent& event)
{
    {
        std::lock_guard lock(m_mutex);
        m_percent = event.percent;
    }
    switch (event.change) {
    case ProgressEvent::Change::Area:
        SetAreaText(event.areaText);
        return;
    case ProgressEvent::Change::Status:
        SetStatusText(event.statusText);
        return;
    case ProgressEvent::Change::Phase:
        return;
    case ProgressEvent::Change::Percent:
        break;
    }
    std::lock_guard lock(m_mutex);
    // Only a changed percent is worth a redraw; the engine reports every 1 KiB.
    if (!m_interactive || m_percent == m_shownPercent)
        return;
    RedrawLocked();
    std::fflush(m_out);
}

void TerminalPage::PrintLine(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    if (m_interactive && m_lineShown)
        std::fprintf(m_out, "\r\033[K");
    std::fprintf(m_out, "%s\n", text.c_str());
    if (m_interactive && m_lineShown)
        RedrawLocked();
    std::fflush(m_out);
}

void TerminalPage::Finish()
{
    std::lock_guard lock(m_mutex);
    if (m_interactive && m_lineShown)
        std::fprintf(m_out, "\n");
    m_lineShown = false;
    std::fflush(m_out);
}

std::string TerminalPage::StatusText() const
{
    std::lock_guard lock(m_mutex);
    return m_status;
}

void TerminalPage::ShowLocked(const std::string& text)
{
    if (m_interactive)
        RedrawLocked();
    else
        std::fprintf(m_out, "%s\n", text.c_str());
    std::fflush(m_out);
}

void TerminalPage::RedrawLocked()
{
    m_shownPercent = m_percent;
    const std::string line =
        LayoutProgressLine(TerminalColumns(fileno(m_out)), m_shownPercent, m_area, m_status);
    std::fprintf(m_out, "\r\033[K%s", line.c_str());
    m_lineShown = true;
}
