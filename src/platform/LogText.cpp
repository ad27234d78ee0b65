#include "platform/LogText.h"

#include <cstdint>
#include <cstdio>

#include "platform/Utf8.h"

namespace {

void AppendEscaped(std::string& out, uint8_t byte)
{
    char text[5];
    std::snprintf(text, sizeof text, "\\x%02X", byte);
    out += text;
}

} // namespace

std::string EscapeLogText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const Utf8Char c = NextUtf8Char(text);
        // Controls would act on a terminal showing the log, and a backslash
        // could forge an escape.
        if (c.valid && !IsControlCharacter(c.codePoint) && c.codePoint != '\\') {
            out.append(text.substr(0, c.length));
            text.remove_prefix(c.length);
        } else {
            // One byte at a time: the rest of a C1 control's sequence is
            // then a stray byte of its own.
            AppendEscaped(out, static_cast<uint8_t>(text.front()));
            text.remove_prefix(1);
        }
    }
    return out;
}

std::string LogTimeStamp(std::time_t seconds, int milliseconds)
{
    std::tm local {};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, milliseconds);
    return text;
}
