#include "support/RecordingPage.h"

void RecordingPage::OnProgress(const ProgressEvent& event)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back(event);
    switch (event.change) {
    case ProgressEvent::Change::Phase:
        m_phases.push_back(event.phase);
        break;
    case ProgressEvent::Change::Area:
        m_areaTexts.push_back(event.areaText);
        break;
    case ProgressEvent::Change::Status:
        m_statusTexts.push_back(event.statusText);
        break;
    case ProgressEvent::Change::Percent:
        m_percents.push_back(event.percent);
        break;
    }
}

std::vector<ProgressEvent> RecordingPage::Events() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

std::vector<UpdatePhase> RecordingPage::Phases() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_phases;
}

std::vector<std::string> RecordingPage::AreaTexts() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_areaTexts;
}

std::vector<std::string> RecordingPage::StatusTexts() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_statusTexts;
}

std::vector<int> RecordingPage::Percents() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_percents;
}

std::string RecordingPage::LastStatus() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_statusTexts.empty() ? std::string() : m_statusTexts.back();
}

std::string RecordingPage::LastArea() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_areaTexts.empty() ? std::string() : m_areaTexts.back();
}

void RecordingPage::ShowMessage(const std::string& text, const DeviceFailure* failure)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (failure)
            m_messageFailures.push_back(*failure);
    }
    if (m_prompter)
        m_prompter->ShowMessage(text);
}

std::vector<DeviceFailure> RecordingPage::MessageFailures() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_messageFailures;
}
