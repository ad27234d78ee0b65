#include "platform/Utf8.h"

Utf8Char NextUtf8Char(std::string_view text)
{
    constexpr Utf8Char kInvalid{kReplacementCharacter, 1, false};
    if (text.empty())
        return {kReplacementCharacter, 0, false};
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return {lead, 1, true};

    // The lead byte gives the length and the payload bits; the second byte's
    // range is what rules out overlong forms, surrogates and values past
    // U+10FFFF (C0, C1 and F5..FF never lead).
    size_t length = 0;
    char32_t c = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return kInvalid;
    }
    if (text.size() < length)
        return kInvalid;
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(i);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF))
            return kInvalid;
        c = c << 6 | (next & 0x3F);
    }
    return {c, length, true};
}

void AppendUtf8(char32_t c, std::string* out)
{
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        c = kReplacementCharacter;
    if (c < 0x80) {
        *out += static_cast<char>(c);
    } else if (c < 0x800) {
        *out += static_cast<char>(0xC0 | c >> 6);
        *out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out += static_cast<char>(0xE0 | c >> 12);
        *out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out += static_cast<char>(0xF0 | c >> 18);
        *out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        *out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *out += static_cast<char>(0x80 | (c & 0x3F));
    }
}
