#include "platform/Diagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "platform/Services.h"

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

void DiagPrintf(const char* format, ...)
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
        GetDiagnostics().Write(std::string_view(small, static_cast<size_t>(length)));
        return;
    }
    std::vector<char> large(static_cast<size_t>(length) + 1);
    std::vsnprintf(large.data(), large.size(), format, copy);
    va_end(copy);
    GetDiagnostics().Write(std::string_view(large.data(), static_cast<size_t>(length)));
}
