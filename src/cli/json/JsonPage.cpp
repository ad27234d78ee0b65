#include "cli/json/JsonPage.h"

void JsonPage::OnProgress(const ProgressEvent& event)
{
    WriteProgressEvent(m_device, event);
}
