#include "platform/Diagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <vector>


void CapturingDiagnostics::Write(std::string_view text)
{
    std::lock_guard lock(m_mutex);
    m_text.append(text);
}

std::string CapturingDiagnostics::Text() const
{
    std::lock_guard lock(m_mutex);
    return m_text;
}

void CapturingDiagnostics::Clear()
{
    std::lock_guard lock(m_mutex);
    m_text.clear();
}

void DiagPrintf(DiagnosticsSink& sink, const char* format, ...)
{
    char small[256];
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (length < 0) {
        va_end(copy);
        return;
    }
    if (static_cast<size_t>(length) < sizeof small) {
        va_end(copy);
        sink.Write(std::string_view(small, static_cast<size_t>(length)));
        return;
    }
    std::vector<char> large(static_cast<size_t>(length) + 1);
    std::vsnprintf(large.data(), large.size(), format, copy);
    va_end(copy);
    sink.Write(std::string_view(large.data(), static_cast<size_t>(length)));
}

bool HasErrorLine(std::string_view text)
{
    for (size_t start = 0; start < text.size();) {
        if (text.substr(start).starts_with("ERROR"))
            return true;
        const size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return false;
}
