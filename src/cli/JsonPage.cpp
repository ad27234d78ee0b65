#include "cli/JsonPage.h"

void JsonPage::SetAreaText(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_area = text;
}

void JsonPage::SetStatusText(const std::string& text)
{
    std::optional<std::string> area;
    {
        std::lock_guard lock(m_mutex);
        area = m_area;
    }
    WriteProgress(m_device, m_nPos.load(), m_nRemainMs, area, text);
}
