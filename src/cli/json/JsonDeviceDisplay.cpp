#include "cli/json/JsonDeviceDisplay.h"

#include <cstdio>

#include "cli/json/UpdateJson.h"

void JsonDeviceDisplay::OnProgress(int device, const ProgressEvent& event)
{
    WriteProgressEvent(m_locations[device], event);
}

void JsonDeviceDisplay::PrintMessage(int device, const std::string& text)
{
    WriteMessage(m_locations[device], text);
}

void JsonDeviceDisplay::PrintLine(const std::string& text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}
