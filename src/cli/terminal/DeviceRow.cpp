#include "cli/terminal/DeviceRow.h"

#include "cli/terminal/ProgressLine.h"
#include "platform/DisplayWidth.h"

bool DeviceRow::Take(const ProgressEvent& event, std::string* plainLine)
{
    plainLine->clear();
    bool changed = event.percent != m_percent;
    m_percent = event.percent;
    if (event.change == ProgressEvent::Change::Area && event.areaText != m_area) {
        m_area = event.areaText;
        changed = true;
        if (!m_area.empty())
            *plainLine = Labelled(m_area);
    } else if (event.change == ProgressEvent::Change::Status && event.statusText != m_status) {
        m_status = event.statusText;
        changed = true;
        if (!m_status.empty())
            *plainLine = Labelled(m_status);
    }
    return changed;
}

std::string DeviceRow::Line(int columns, int locationWidth) const
{
    if (m_percent < 0)
        return ClipToWidth(m_location, columns - 1);
    const std::string head = PadToWidth(m_location, locationWidth) + "  ";
    const std::string line = head + LayoutProgressLine(columns - DisplayWidth(head), m_percent, m_area, m_status);
    return ClipToWidth(line, columns - 1);
}
