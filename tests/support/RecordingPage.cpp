#include "support/RecordingPage.h"

void RecordingPage::SetAreaText(const std::string& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_areaTexts.push_back(text);
}

void RecordingPage::SetStatusText(const std::string& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_statusTexts.push_back(text);
}

void RecordingPage::PostProgressUpdate()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_percents.push_back(m_nPos.load());
}

void RecordingPage::EnterPhase(UpdatePhase phase)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_phases.push_back(phase);
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
