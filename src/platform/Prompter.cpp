#include "platform/Prompter.h"

#include <cstdio>

void ConsolePrompter::ShowMessage(const std::string& text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

void RecordingPrompter::ShowMessage(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_messages.push_back(text);
}

std::vector<std::string> RecordingPrompter::Messages() const
{
    std::lock_guard lock(m_mutex);
    return m_messages;
}

void RecordingPrompter::Clear()
{
    std::lock_guard lock(m_mutex);
    m_messages.clear();
}
