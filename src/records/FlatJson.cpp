#include "records/FlatJson.h"

#include <cstdint>

namespace {

// Far more than a record has; keeps the search for repeated keys short.
constexpr size_t kMaxKeys = 256;

class Reader {
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    std::optional<FlatJsonObject> Object()
    {
        FlatJsonObject object;
        SkipSpace();
        if (!Take('{'))
            return Refuse("not a JSON object");
        SkipSpace();
        if (!Take('}')) {
            for (;;) {
                std::string key;
                SkipSpace();
                if (!String(&key))
                    return std::nullopt;
                if (object.members.size() == kMaxKeys)
                    return Refuse("more than " + std::to_string(kMaxKeys) + " keys");
                if (object.Find(key))
                    return Refuse("key \"" + key + "\" given twice");
                SkipSpace();
                if (!Take(':'))
                    return Refuse("':' missing after a key");
                SkipSpace();
                JsonScalar value;
                if (!Scalar(&value))
                    return std::nullopt;
                object.members.emplace_back(std::move(key), std::move(value));
                SkipSpace();
                if (Take('}'))
                    break;
                if (!Take(','))
                    return Refuse("',' or '}' missing after a value");
            }
        }
        SkipSpace();
        if (m_at != m_text.size())
            return Refuse("text after the object");
        return object;
    }

    const std::string& Error() const { return m_error; }

private:
    bool AtEnd() const { return m_at >= m_text.size(); }
    char Peek() const { return AtEnd() ? '\0' : m_text[m_at]; }

    bool Take(char c)
    {
        if (AtEnd() || m_text[m_at] != c)
            return false;
        ++m_at;
        return true;
    }

    bool TakeWord(std::string_view word)
    {
        if (m_text.substr(m_at, word.size()) != word)
            return false;
        m_at += word.size();
        return true;
    }

    void SkipSpace()
    {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\r' || Peek() == '\n'))
            ++m_at;
    }

    // Keeps the first reason, with where it was found; false, for returning.
    bool Fail(std::string reason)
    {
        if (m_error.empty())
            m_error = std::move(reason) + " (at byte " + std::to_string(m_at) + ")";
        return false;
    }

    std::optional<FlatJsonObject> Refuse(std::string reason)
    {
        Fail(std::move(reason));
        return std::nullopt;
    }

    bool Scalar(JsonScalar* value)
    {
        const char c = Peek();
        if (c == '"') {
            value->kind = JsonScalar::Kind::String;
            return String(&value->text);
        }
        if (c == '-' || (c >= '0' && c <= '9')) {
            value->kind = JsonScalar::Kind::Integer;
            return Integer(&value->integer);
        }
        if (TakeWord("true") || TakeWord("false")) {
            value->kind = JsonScalar::Kind::Bool;
            value->boolean = c == 't';
            return true;
        }
        if (TakeWord("null")) {
            value->kind = JsonScalar::Kind::Null;
            return true;
        }
        if (c == '{' || c == '[')
            return Fail("nested value");
        return Fail("not a JSON value");
    }

    bool Integer(int64_t* value)
    {
        const bool negative = Take('-');
        if (!(Peek() >= '0' && Peek() <= '9'))
            return Fail("digit missing");
        if (Peek() == '0' && m_at + 1 < m_text.size() && m_text[m_at + 1] >= '0' && m_text[m_at + 1] <= '9')
            return Fail("number with a leading zero");
        // Gathered as a negative number, whose range reaches one further.
        int64_t result = 0;
        while (Peek() >= '0' && Peek() <= '9') {
            const int digit = Peek() - '0';
            if (result < (INT64_MIN + digit) / 10)
                return Fail("number out of range");
            result = result * 10 - digit;
            ++m_at;
        }
        if (Peek() == '.' || Peek() == 'e' || Peek() == 'E')
            return Fail("number that is not whole");
        if (!negative && result == INT64_MIN)
            return Fail("number out of range");
        *value = negative ? result : -result;
        return true;
    }

    bool Hex4(uint32_t* value)
    {
        *value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = Peek();
            uint32_t digit;
            if (c >= '0' && c <= '9')
                digit = uint32_t(c - '0');
            else if (c >= 'a' && c <= 'f')
                digit = uint32_t(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                digit = uint32_t(c - 'A' + 10);
            else
                return Fail("bad \\u escape");
            *value = *value << 4 | digit;
            ++m_at;
        }
        return true;
    }

    static void AppendUtf8(uint32_t c, std::string* out)
    {
        if (c < 0x80) {
            *out += char(c);
        } else if (c < 0x800) {
            *out += char(0xC0 | c >> 6);
            *out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *out += char(0xE0 | c >> 12);
            *out += char(0x80 | (c >> 6 & 0x3F));
            *out += char(0x80 | (c & 0x3F));
        } else {
            *out += char(0xF0 | c >> 18);
            *out += char(0x80 | (c >> 12 & 0x3F));
            *out += char(0x80 | (c >> 6 & 0x3F));
            *out += char(0x80 | (c & 0x3F));
        }
    }

    bool Escape(std::string* out)
    {
        const char c = Peek();
        ++m_at;
        switch (c) {
        case '"': *out += '"'; return true;
        case '\\': *out += '\\'; return true;
        case '/': *out += '/'; return true;
        case 'b': *out += '\b'; return true;
        case 'f': *out += '\f'; return true;
        case 'n': *out += '\n'; return true;
        case 'r': *out += '\r'; return true;
        case 't': *out += '\t'; return true;
        case 'u': break;
        default: return Fail("bad escape");
        }
        uint32_t unit;
        if (!Hex4(&unit))
            return false;
        if (unit >= 0xDC00 && unit <= 0xDFFF)
            return Fail("lone low surrogate");
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            uint32_t low;
            if (!TakeWord("\\u") || !Hex4(&low) || low < 0xDC00 || low > 0xDFFF)
                return Fail("high surrogate without its low half");
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
        AppendUtf8(unit, out);
        return true;
    }

    // The length of the valid UTF-8 character at the reading position, or 0
    // (stray continuation byte, overlong form, surrogate, beyond U+10FFFF, cut
    // short).
    size_t Utf8Length() const
    {
        const auto byte = [&](size_t i) { return static_cast<unsigned char>(m_text[m_at + i]); };
        const unsigned char lead = byte(0);
        size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : low;
            high = lead == 0xED ? 0x9F : high;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : low;
            high = lead == 0xF4 ? 0x8F : high;
        } else {
            return 0;
        }
        if (m_text.size() - m_at < length || byte(1) < low || byte(1) > high)
            return 0;
        for (size_t i = 2; i < length; ++i)
            if (byte(i) < 0x80 || byte(i) > 0xBF)
                return 0;
        return length;
    }

    bool String(std::string* out)
    {
        if (!Take('"'))
            return Fail("string expected");
        for (;;) {
            if (AtEnd())
                return Fail("string not closed");
            const unsigned char c = static_cast<unsigned char>(Peek());
            if (c == '"') {
                ++m_at;
                return true;
            }
            if (c == '\\') {
                ++m_at;
                if (AtEnd())
                    return Fail("string not closed");
                if (!Escape(out))
                    return false;
            } else if (c < 0x20) {
                return Fail("control character in a string");
            } else if (c < 0x80) {
                *out += char(c);
                ++m_at;
            } else {
                const size_t length = Utf8Length();
                if (length == 0)
                    return Fail("invalid UTF-8");
                out->append(m_text.substr(m_at, length));
                m_at += length;
            }
        }
    }

    std::string_view m_text;
    size_t m_at = 0;
    std::string m_error;
};

}  // namespace

const JsonScalar* FlatJsonObject::Find(std::string_view key) const
{
    for (const auto& [name, value] : members)
        if (name == key)
            return &value;
    return nullptr;
}

std::optional<FlatJsonObject> ParseFlatJsonObject(std::string_view text, std::string* error)
{
    Reader reader(text);
    std::optional<FlatJsonObject> object = reader.Object();
    if (!object && error)
        *error = reader.Error();
    return object;
}
