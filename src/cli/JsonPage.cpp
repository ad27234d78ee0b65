#include "cli/JsonPage.h"

void JsonPage::OnProgress(const ProgressEvent& event)
{
    if (event.change == ProgressEvent::Change::Phase)
        WritePhase(m_device, event.phase);
    else if (event.change == ProgressEvent::Change::Status)
        WriteProgress(m_device, event.percent, event.remainMs,
                      event.areaText.empty() ? std::nullopt : std::optional(event.areaText), event.statusText);
}
