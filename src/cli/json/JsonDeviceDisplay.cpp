#include "cli/json/JsonDeviceDisplay.h"

#include "cli/json/UpdateJson.h"

JsonDeviceDisplay::JsonDeviceDisplay(std::vector<std::string> locations)
    : m_locations(std::move(locations)), m_areas(m_locations.size())
{
}

void JsonDeviceDisplay::EnterPhase(int device, UpdatePhase phase)
{
    WritePhase(m_locations[device], phase);
}

void JsonDeviceDisplay::SetArea(int device, const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_areas[device] = text;
}

void JsonDeviceDisplay::SetStatus(int device, const std::string& text, int percent, uint32_t remainMs)
{
    std::optional<std::string> area;
    {
        std::lock_guard lock(m_mutex);
        area = m_areas[device];
    }
    WriteProgress(m_locations[device], percent, remainMs, area, text);
}

void JsonDeviceDisplay::PrintMessage(int device, const std::string& text)
{
    WriteMessage(m_locations[device], text);
}
