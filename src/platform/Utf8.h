#pragma once
// One reading of UTF-8 for everything that looks into text: the log's
// escaping, JSON strings, terminal widths and the records. Well-formed means
// the shortest form of a code point up to U+10FFFF that is not a surrogate;
// anything else is taken a byte at a time, so that each bad byte is met once
// and can be escaped, replaced or counted on its own.

#include <cstddef>
#include <string>
#include <string_view>

inline constexpr char32_t kReplacementCharacter = U'\uFFFD';

struct Utf8Char {
    char32_t codePoint;  // kReplacementCharacter when not valid
    size_t length;       // the bytes it takes: the whole sequence, or 1 when not valid (0 for empty text)
    bool valid;
};

// The character at the start of `text`. A stray continuation byte, an
// overlong form, a surrogate, a code point past U+10FFFF and a sequence cut
// short (by the end of the text or by a byte that does not continue it) are
// not valid.
Utf8Char NextUtf8Char(std::string_view text);

// C0, DEL and C1: the code points a terminal acts on instead of showing.
constexpr bool IsControlCharacter(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

// Appends `c` in UTF-8; a surrogate or a value past U+10FFFF, which have no
// UTF-8 form, become U+FFFD.
void AppendUtf8(char32_t c, std::string* out);
