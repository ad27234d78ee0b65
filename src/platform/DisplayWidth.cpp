#include "platform/DisplayWidth.h"

#include <algorithm>
#include <cstdint>

namespace {

struct Range {
    char32_t first;
    char32_t last;
};

// East Asian Wide and Fullwidth blocks.
constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},
    {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF},
    {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

// Combining marks and zero-width characters that take no column of their own.
constexpr Range kZero[] = {
    {0x0300, 0x036F}, {0x200B, 0x200F}, {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF},
};

bool InRanges(char32_t c, const Range* begin, const Range* end)
{
    for (const Range* r = begin; r != end; ++r)
        if (c >= r->first && c <= r->last)
            return true;
    return false;
}

int CharacterWidth(char32_t c)
{
    if (c < 0x20 || (c >= 0x7F && c < 0xA0))
        return 0;
    if (InRanges(c, std::begin(kZero), std::end(kZero)))
        return 0;
    return InRanges(c, std::begin(kWide), std::end(kWide)) ? 2 : 1;
}

// Decodes the character at text[*at] and moves past it. A byte that does not
// start a whole sequence counts as one character of its own (a terminal
// shows it as one replacement mark).
char32_t NextCharacter(std::string_view text, size_t* at)
{
    const uint8_t lead = static_cast<uint8_t>(text[*at]);
    size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || *at + length > text.size()) {
        ++*at;
        return 0xFFFD;
    }
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        const uint8_t next = static_cast<uint8_t>(text[*at + i]);
        if ((next & 0xC0) != 0x80) {
            ++*at;
            return 0xFFFD;
        }
        c = (c << 6) | (next & 0x3F);
    }
    *at += length;
    return c;
}

} // namespace

int DisplayWidth(std::string_view text)
{
    int width = 0;
    for (size_t at = 0; at < text.size();)
        width += CharacterWidth(NextCharacter(text, &at));
    return width;
}

std::string ClipToWidth(std::string_view text, int columns)
{
    int width = 0;
    size_t at = 0;
    while (at < text.size()) {
        size_t next = at;
        const int w = CharacterWidth(NextCharacter(text, &next));
        if (width + w > columns)
            break;
        width += w;
        at = next;
    }
    return std::string(text.substr(0, at));
}

std::string PadToWidth(std::string_view text, int columns)
{
    std::string padded(text);
    padded.append(static_cast<size_t>(std::max(0, columns - DisplayWidth(text))), ' ');
    return padded;
}
