#include "cli/TerminalPage.h"

#include <cstdio>

namespace {

constexpr int kBarWidth = 30;

std::string Bar(int percent)
{
    int filled = percent * kBarWidth / 100;
    return "[" + std::string(static_cast<size_t>(filled), '#') +
           std::string(static_cast<size_t>(kBarWidth - filled), '-') + "]";
}

} // namespace

TerminalPage::TerminalPage(std::FILE* out, bool interactive) : m_out(out), m_interactive(interactive) {}

void TerminalPage::SetAreaText(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_area = text;
    if (m_interactive)
        RedrawLocked();
    else
        std::fprintf(m_out, "%s\n", text.c_str());
    std::fflush(m_out);
}

void TerminalPage::SetStatusText(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_status = text;
    if (m_interactive)
        RedrawLocked();
    else
        std::fprintf(m_out, "%s\n", text.c_str());
    std::fflush(m_out);
}

void TerminalPage::PostProgressUpdate()
{
    std::lock_guard lock(m_mutex);
    // Only a changed percent is worth a redraw; the engine posts every 1 KiB.
    if (!m_interactive || m_nPos.load() == m_shownPercent)
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

void TerminalPage::RedrawLocked()
{
    int percent = m_nPos.load();
    if (percent < 0) percent = 0;
    if (percent > 100) percent = 100;
    m_shownPercent = m_nPos.load();
    std::fprintf(m_out, "\r\033[K%s %3d%%  %s%s", Bar(percent).c_str(), percent, m_area.c_str(), m_status.c_str());
    m_lineShown = true;
}
