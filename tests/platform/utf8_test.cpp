#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Utf8.h"

namespace {

TEST(NextUtf8Char, TakesWellFormedCharactersWholeAndEverythingElseAByteAtATime)
{
    struct Case {
        const char* what;
        std::string text;
        Utf8Char expected;
    };
    constexpr Utf8Char kBadByte{kReplacementCharacter, 1, false};
    const Case cases[] = {
        {"NUL is a character", std::string(1, '\0'), {0x00, 1, true}},
        {"last ASCII", "\x7F", {0x7F, 1, true}},
        {"only the first of several is read", "ab", {'a', 1, true}},
        {"first two-byte", "\xC2\x80", {0x80, 2, true}},
        {"last two-byte", "\xDF\xBF", {0x7FF, 2, true}},
        {"first three-byte", "\xE0\xA0\x80", {0x800, 3, true}},
        {"Chinese, followed by more", "升级", {0x5347, 3, true}},
        {"last before the surrogates", "\xED\x9F\xBF", {0xD7FF, 3, true}},
        {"first after the surrogates", "\xEE\x80\x80", {0xE000, 3, true}},
        {"U+FFFD itself is valid", "\xEF\xBF\xBD", {0xFFFD, 3, true}},
        {"last three-byte", "\xEF\xBF\xBF", {0xFFFF, 3, true}},
        {"first four-byte", "\xF0\x90\x80\x80", {0x10000, 4, true}},
        {"last code point", "\xF4\x8F\xBF\xBF", {0x10FFFF, 4, true}},

        {"stray continuation byte", "\x80", kBadByte},
        {"stray last continuation byte", "\xBF", kBadByte},
        {"overlong NUL", std::string("\xC0\x80", 2), kBadByte},
        {"overlong two-byte", "\xC1\xBF", kBadByte},
        {"overlong three-byte", "\xE0\x9F\xBF", kBadByte},
        {"overlong four-byte", "\xF0\x8F\xBF\xBF", kBadByte},
        {"first surrogate", "\xED\xA0\x80", kBadByte},
        {"last surrogate", "\xED\xBF\xBF", kBadByte},
        {"past U+10FFFF", "\xF4\x90\x80\x80", kBadByte},
        {"F5 never leads", "\xF5\x80\x80\x80", kBadByte},
        {"FF never leads", "\xFF", kBadByte},
        {"two-byte cut by the end", "\xC2", kBadByte},
        {"three-byte cut by the end", "\xE5\x8D", kBadByte},
        {"four-byte cut by the end", "\xF0\x9F\x98", kBadByte},
        {"three-byte cut by ASCII", "\xE5\x8D" "A", kBadByte},
        {"second continuation byte out of range", "\xE5\x8D\xC0", kBadByte},
        {"a new lead where a continuation should be", "\xE5\xE5\x8D\x87", kBadByte},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Utf8Char got = NextUtf8Char(c.text);
        EXPECT_EQ(static_cast<uint32_t>(got.codePoint), static_cast<uint32_t>(c.expected.codePoint));
        EXPECT_EQ(got.length, c.expected.length);
        EXPECT_EQ(got.valid, c.expected.valid);
    }
    const Utf8Char empty = NextUtf8Char("");
    EXPECT_EQ(empty.length, 0u);
    EXPECT_FALSE(empty.valid);
}

TEST(NextUtf8Char, WalkingATextMeetsEachBadByteOnce)
{
    const std::string text = "a\xE5\x8D" "b升\xF4\x90\x80\x80";
    std::vector<uint32_t> codePoints;
    for (std::string_view rest = text; !rest.empty();) {
        const Utf8Char c = NextUtf8Char(rest);
        codePoints.push_back(c.valid ? c.codePoint : 0);  // 0 marks a bad byte
        rest.remove_prefix(c.length);
    }
    EXPECT_EQ(codePoints, (std::vector<uint32_t>{'a', 0, 0, 'b', 0x5347, 0, 0, 0, 0}));
}

TEST(AppendUtf8, WritesTheShortestFormThatReadsBackAndReplacesWhatHasNone)
{
    struct Case {
        char32_t codePoint;
        std::string bytes;
    };
    const Case cases[] = {
        {0x00, std::string(1, '\0')},
        {0x7F, "\x7F"},
        {0x80, "\xC2\x80"},
        {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"},
        {0x5347, "升"},
        {0xFFFF, "\xEF\xBF\xBF"},
        {0x10000, "\xF0\x90\x80\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<uint32_t>(c.codePoint));
        std::string out;
        AppendUtf8(c.codePoint, &out);
        EXPECT_EQ(out, c.bytes);
        const Utf8Char back = NextUtf8Char(out);
        EXPECT_TRUE(back.valid);
        EXPECT_EQ(static_cast<uint32_t>(back.codePoint), static_cast<uint32_t>(c.codePoint));
        EXPECT_EQ(back.length, out.size());
    }
    for (char32_t none : {char32_t{0xD800}, char32_t{0xDFFF}, char32_t{0x110000}}) {
        SCOPED_TRACE(static_cast<uint32_t>(none));
        std::string out = "x";
        AppendUtf8(none, &out);
        EXPECT_EQ(out, "x\xEF\xBF\xBD");
    }
}

} // namespace
