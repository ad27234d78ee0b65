#include "platform/JsonWriter.h"

#include <cstdio>

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// The length of the valid UTF-8 character at the start of `text`, or 0 when
// its first byte does not start one (stray continuation byte, overlong form,
// surrogate, beyond U+10FFFF, or cut short).
size_t ValidCharLength(std::string_view text)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    return length;
}

} // namespace

std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    out.reserve(text.size() + 2);
    while (!text.empty()) {
        const char c = text.front();
        const size_t length = ValidCharLength(text);
        if (length == 0) {
            out += kReplacement;
            text.remove_prefix(1);
            continue;
        }
        if (length > 1) {
            out.append(text.substr(0, length));
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
        text.remove_prefix(length);
    }
    out += '"';
    return out;
}

JsonObject& JsonObject::Key(std::string_view key)
{
    if (!m_body.empty())
        m_body += ',';
    m_body += JsonString(key);
    m_body += ':';
    return *this;
}

JsonObject& JsonObject::Text(std::string_view key, std::string_view value)
{
    Key(key).m_body += JsonString(value);
    return *this;
}

JsonObject& JsonObject::TextOrNull(std::string_view key, const std::optional<std::string>& value)
{
    return value ? Text(key, std::string_view(*value)) : Null(key);
}

JsonObject& JsonObject::Number(std::string_view key, int64_t value)
{
    Key(key).m_body += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::Bool(std::string_view key, bool value)
{
    Key(key).m_body += value ? "true" : "false";
    return *this;
}

JsonObject& JsonObject::Null(std::string_view key)
{
    Key(key).m_body += "null";
    return *this;
}

JsonObject& JsonObject::Raw(std::string_view key, std::string_view json)
{
    Key(key).m_body += json;
    return *this;
}

std::string JsonObject::Str() const
{
    return "{" + m_body + "}";
}

std::string JsonArray(const std::vector<std::string>& elements)
{
    std::string out = "[";
    for (size_t i = 0; i < elements.size(); ++i)
        out += (i == 0 ? "" : ",") + elements[i];
    return out + "]";
}
