#include <gtest/gtest.h>

#include <string>

#include "platform/ConsoleOutput.h"

namespace {

// What the console thread holds back at the end of a read: the start of a
// character whose other bytes are still in the pipe, and nothing else.
TEST(ConsoleOutput, HoldsBackOnlyAnUnfinishedCharacter)
{
    const std::string sheng = "升";  // E5 8D 87
    const std::string emoji = "\xF0\x9F\x93\xA6";
    const struct {
        const char* what;
        std::string text;
        size_t held;
    } cases[] = {
        {"nothing", "", 0},
        {"ASCII", "50% done\n", 0},
        {"a whole Chinese character", "升级", 0},
        {"its first byte", "升级" + sheng.substr(0, 1), 1},
        {"its first two bytes", "升级" + sheng.substr(0, 2), 2},
        {"a two-byte character cut", "x\xC3", 1},
        {"a whole four-byte character", emoji, 0},
        {"three of its four bytes", emoji.substr(0, 3), 3},
        {"a stray continuation byte is no start", "ab\x87", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UnfinishedUtf8Tail(c.text), c.held) << c.what;
}

} // namespace
