#include <gtest/gtest.h>

#include <string>

#include "platform/JsonWriter.h"

namespace {

TEST(JsonWriter, StringsAreEscapedAndStayValidUtf8)
{
    struct Case {
        const char* what;
        std::string text;
        std::string json;
    };
    const Case cases[] = {
        {"plain text", "Data Ver:M100", R"("Data Ver:M100")"},
        {"quote and backslash", R"(C:\dir "x")", R"("C:\\dir \"x\"")"},
        {"line breaks and tab", "a\r\nb\tc", R"("a\r\nb\tc")"},
        {"other control characters", std::string("\x01\x1f", 2) + std::string(1, '\0'), R"("\u0001\u001f\u0000")"},
        {"delete needs no escape", "\x7f", "\"\x7f\""},
        {"Chinese passes as it is", "升级成功", "\"升级成功\""},
        {"four-byte character passes", "\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""},
        {"lone high byte", "M1\xff", "\"M1\xEF\xBF\xBD\""},
        {"stray continuation byte", "\x80x", "\"\xEF\xBF\xBDx\""},
        {"overlong slash", "\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"surrogate half", "\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"character cut short at the end", "a\xE5\x8D", "\"a\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"cut short before a quote", "\xE5\"", "\"\xEF\xBF\xBD\\\"\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(JsonString(c.text), c.json);
    }
}

TEST(JsonWriter, ObjectsKeepTheirFieldsInOrder)
{
    JsonObject inner;
    inner.Text("first", "0xA1");
    JsonObject object;
    object.Number("schema", 1)
        .Text("key \"q\"", "v")
        .TextOrNull("serial", std::nullopt)
        .TextOrNull("path", std::string("p"))
        .Number("big", 0xFFFFFFFFll)
        .Number("negative", -2)
        .Bool("parallel", false)
        .Raw("commands", inner.Str())
        .Raw("devices", JsonArray({}))
        .Raw("list", JsonArray({"1", "{}"}));
    EXPECT_EQ(object.Str(), R"({"schema":1,"key \"q\"":"v","serial":null,"path":"p","big":4294967295,)"
                            R"("negative":-2,"parallel":false,"commands":{"first":"0xA1"},"devices":[],"list":[1,{}]})");
    EXPECT_EQ(JsonObject().Str(), "{}");
}

} // namespace
