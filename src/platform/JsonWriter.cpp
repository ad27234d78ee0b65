#include "platform/JsonWriter.h"

#include <cstdio>

#include "platform/Utf8.h"

std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    out.reserve(text.size() + 2);
    while (!text.empty()) {
        const Utf8Char c = NextUtf8Char(text);
        if (!c.valid) {
            AppendUtf8(kReplacementCharacter, &out);
        } else if (c.length > 1) {
            out.append(text.substr(0, c.length));
        } else if (c.codePoint == '"' || c.codePoint == '\\') {
            out += '\\';
            out += text.front();
        } else if (c.codePoint == '\n') {
            out += "\\n";
        } else if (c.codePoint == '\r') {
            out += "\\r";
        } else if (c.codePoint == '\t') {
            out += "\\t";
        } else if (c.codePoint < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c.codePoint));
            out += escaped;
        } else {
            out += text.front();
        }
        text.remove_prefix(c.length);
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
