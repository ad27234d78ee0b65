#include "platform/LogText.h"

#include <cstdint>
#include <cstdio>

namespace {

void AppendEscaped(std::string& out, uint8_t byte)
{
    char text[5];
    std::snprintf(text, sizeof text, "\\x%02X", byte);
    out += text;
}

// The length of the well-formed UTF-8 sequence of a non-ASCII character at
// the start of `text`, or 0. Overlong forms, surrogates and code points past
// U+10FFFF are not well-formed; C1 controls (U+0080..U+009F) count as broken,
// since a terminal would act on them.
size_t Utf8SequenceLength(std::string_view text)
{
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const auto continuation = [&](size_t i) { return i < text.size() && (byte(i) & 0xC0) == 0x80; };
    const uint8_t lead = byte(0);
    if (lead >= 0xC2 && lead <= 0xDF)
        return continuation(1) && !(lead == 0xC2 && byte(1) < 0xA0) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (!continuation(1) || !continuation(2))
            return 0;
        if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0))
            return 0;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (!continuation(1) || !continuation(2) || !continuation(3))
            return 0;
        if ((lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90))
            return 0;
        return 4;
    }
    return 0;
}

} // namespace

std::string EscapeLogText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const uint8_t byte = static_cast<uint8_t>(text[i]);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            out += static_cast<char>(byte);
            ++i;
            continue;
        }
        const size_t length = byte >= 0x80 ? Utf8SequenceLength(text.substr(i)) : 0;
        if (length == 0) {
            AppendEscaped(out, byte);
            ++i;
            continue;
        }
        out.append(text.substr(i, length));
        i += length;
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
