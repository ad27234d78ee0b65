#include <gtest/gtest.h>

#include <string>

#include "platform/DisplayWidth.h"

namespace {

// Bytes that are not part of a well-formed character each take a column (a
// terminal shows a replacement mark for each), and clipping may cut between
// them but never inside a character.
TEST(DisplayWidth, EachByteOutsideAWellFormedCharacterTakesAColumn)
{
    struct Case {
        const char* what;
        std::string text;
        int width;
        std::string clippedByOne;  // clipped to one column less
    };
    const Case cases[] = {
        {"overlong NUL", std::string("\xC0\x80", 2), 2, "\xC0"},
        {"surrogate half", "\xED\xA0\x80", 3, "\xED\xA0"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", 4, "\xF4\x90\x80"},
        {"five-byte form", "\xF8\x88\x80\x80\x80", 5, "\xF8\x88\x80\x80"},
        {"a cut character between wide ones", "升\xE5\x8D" "级", 6, "升\xE5\x8D"},
        {"a C1 control takes no column", "a\xC2\x9B" "b", 2, "a\xC2\x9B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DisplayWidth(c.text), c.width);
        EXPECT_EQ(ClipToWidth(c.text, c.width), c.text);
        EXPECT_EQ(ClipToWidth(c.text, c.width - 1), c.clippedByOne);
    }
}

} // namespace
