#include <gtest/gtest.h>

#include <string>

#include "records/FlatJson.h"
#include "records/RecordLine.h"
#include "records/RecordTime.h"

namespace {

DeviceRecord SampleRecord()
{
    DeviceRecord r;
    r.timeUtc = *ParseIsoUtcText("2026-12-10T08:15:30Z");
    r.utcOffsetMinutes = 480;
    r.station = "bench 1";
    r.location = "1-2.3";
    r.serial = "0001A3";
    r.release = "5512";
    r.packageFile = "KT7_Down.dat";
    r.packageSha256 = std::string(64, 'a');
    r.firmwareVersion = "V112";
    r.voiceVersion = "V205";
    r.dataVersion = "D318";
    r.updateTime = "2026-12-01";
    r.verify = true;
    r.result = kResultFailed;
    r.exitCode = 4;
    r.message = "区域3数据写入失败，请检查USB连接！";
    r.durationMs = 16020;
    r.attempt = 2;
    return r;
}

TEST(RecordLine, TextsOfEveryKindComeBackAsTheyWere)
{
    struct Case {
        const char* what;
        std::string text;
    };
    const Case cases[] = {
        {"quotes", "say \"ok\""},
        {"backslashes", R"(C:\records\)"},
        {"line breaks and tabs", "a\r\nb\tc"},
        {"other control characters", std::string("\x01\x1f\x7f", 3) + std::string(1, '\0')},
        {"Chinese", "工位一"},
        {"four-byte character", "\xF0\x9F\x98\x80"},
        {"empty", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeviceRecord r = SampleRecord();
        r.station = c.text;
        r.message = c.text;
        r.serial = c.text;
        const std::string line = EncodeRecordLine(r);
        ASSERT_EQ(line.back(), '\n');
        EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line, whatever the texts hold";
        std::string error;
        const std::optional<DeviceRecord> back = DecodeRecordLine(std::string_view(line).substr(0, line.size() - 1), &error);
        ASSERT_TRUE(back) << error;
        EXPECT_EQ(*back, r);
    }

    DeviceRecord noSerial = SampleRecord();
    noSerial.serial.reset();
    noSerial.result = kResultSuccess;
    noSerial.message.clear();
    noSerial.verify = false;
    const std::string line = EncodeRecordLine(noSerial);
    EXPECT_NE(line.find("\"serial\":null"), std::string::npos) << line;
    EXPECT_EQ(DecodeRecordLine(line, nullptr), noSerial) << "the trailing newline is whitespace";
}

TEST(RecordLine, LineCarriesSchemaAndEventFirst)
{
    const std::string line = EncodeRecordLine(SampleRecord());
    EXPECT_EQ(line.rfind(R"({"schema":1,"event":"record","time":"2026-12-10T08:15:30Z","utc_offset_min":480,)", 0), 0u)
        << line;
}

// Lines written by hand or by another program: what this version reads and
// what it refuses, each with the field named.
TEST(RecordLine, DecodingIsStrictAboutEveryField)
{
    const std::string good = EncodeRecordLine(SampleRecord());
    auto with = [&](const std::string& from, const std::string& to) {
        std::string line = good;
        const size_t at = line.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? line : line.replace(at, from.size(), to);
    };
    struct Case {
        const char* what;
        std::string line;
        const char* error;  // null: decodes
    };
    const Case cases[] = {
        {"as written", good, nullptr},
        {"an unknown field is passed over", with("\"attempt\"", "\"bench_note\":\"x\",\"attempt\""), nullptr},
        {"spaces between the tokens", with(",\"station\":", " , \"station\" : "), nullptr},
        {"escaped slash and \\u escapes",
         with("\"bench 1\"", R"("bench\/\u4e00\ud83d\ude00")"), nullptr},
        {"another schema", with("\"schema\":1", "\"schema\":2"), "field \"schema\" not 1"},
        {"another event", with("\"event\":\"record\"", "\"event\":\"result\""), "field \"event\" not \"record\""},
        {"time without its zone", with("08:15:30Z", "08:15:30"), "field \"time\""},
        {"time on a day that does not exist", with("2026-12-10T", "2026-02-30T"), "field \"time\""},
        {"offset past 18 hours", with(":480,", ":1081,"), "field \"utc_offset_min\" out of range"},
        {"release of 3 digits", with("\"5512\"", "\"512\""), "field \"release\""},
        {"release that is no hex", with("\"5512\"", "\"55G2\""), "field \"release\""},
        {"uppercase fingerprint", with(std::string(64, 'a'), std::string(64, 'A')), "field \"package_sha256\""},
        {"short fingerprint", with(std::string(64, 'a'), std::string(63, 'a')), "field \"package_sha256\""},
        {"result that is no keyword", with("\"failed\"", "\"Failed!\""), "field \"result\""},
        {"exit code past 255", with("\"exit_code\":4", "\"exit_code\":256"), "field \"exit_code\" out of range"},
        {"negative duration", with(":16020,", ":-1,"), "field \"duration_ms\" out of range"},
        {"attempt 0", with("\"attempt\":2", "\"attempt\":0"), "field \"attempt\" out of range"},
        {"verify as text", with("\"verify\":true", "\"verify\":\"yes\""), "field \"verify\" of the wrong kind"},
        {"a field missing", with("\"station\":\"bench 1\",", ""), "field \"station\" missing"},
        {"serial as a number", with("\"0001A3\"", "1"), "field \"serial\" of the wrong kind"},
        {"a key twice", with("\"attempt\"", "\"station\":\"x\",\"attempt\""), "key \"station\" given twice"},
        {"nested object", with("\"verify\":true", "\"verify\":{}"), "nested value"},
        {"fraction", with(":16020,", ":16020.5,"), "number that is not whole"},
        {"exponent", with(":16020,", ":1e3,"), "number that is not whole"},
        {"leading zero", with(":16020,", ":016020,"), "leading zero"},
        {"number past 64 bits", with(":16020,", ":9223372036854775808,"), "number out of range"},
        {"raw tab in a string", with("bench 1", "bench\t1"), "control character"},
        {"invalid UTF-8", with("bench 1", "bench\xff"), "invalid UTF-8"},
        {"overlong UTF-8", with("bench 1", "bench\xC0\xAF"), "invalid UTF-8"},
        {"lone surrogate escape", with("bench 1", R"(\udc00)"), "lone low surrogate"},
        {"high surrogate alone", with("bench 1", R"(\ud83dx)"), "high surrogate without its low half"},
        {"bad escape", with("bench 1", R"(\x41)"), "bad escape"},
        {"cut in a string", good.substr(0, good.find("bench") + 3), "string not closed"},
        {"cut after a value", good.substr(0, good.find(",\"station\"")), "',' or '}' missing"},
        {"cut in an escape", good.substr(0, good.find("\"station\"")) + "\"station\":\"ab\\", "string not closed"},
        {"text after the object", good + "x", "text after the object"},
        {"two objects on a line", good + good, "text after the object"},
        {"an array", "[1,2]", "not a JSON object"},
        {"empty line", "", "not a JSON object"},
        {"empty object", "{}", "field \"schema\" missing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string error;
        const std::optional<DeviceRecord> record = DecodeRecordLine(c.line, &error);
        if (!c.error) {
            EXPECT_TRUE(record) << error;
            continue;
        }
        EXPECT_FALSE(record);
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

TEST(FlatJson, ScalarsAreDecoded)
{
    std::string error;
    const std::optional<FlatJsonObject> object = ParseFlatJsonObject(
        R"( {"s":"a\"b\\c\u00e9\n","n":-9223372036854775808,"m":9223372036854775807,"z":-0,"t":true,"f":false,"x":null} )",
        &error);
    ASSERT_TRUE(object) << error;
    ASSERT_EQ(object->members.size(), 7u);
    EXPECT_EQ(object->Find("s")->text, "a\"b\\c\xC3\xA9\n");
    EXPECT_EQ(object->Find("n")->integer, INT64_MIN);
    EXPECT_EQ(object->Find("m")->integer, INT64_MAX);
    EXPECT_EQ(object->Find("z")->integer, 0);
    EXPECT_TRUE(object->Find("t")->boolean);
    EXPECT_EQ(object->Find("f")->kind, JsonScalar::Kind::Bool);
    EXPECT_FALSE(object->Find("f")->boolean);
    EXPECT_EQ(object->Find("x")->kind, JsonScalar::Kind::Null);
    EXPECT_EQ(object->Find("absent"), nullptr);
    EXPECT_TRUE(ParseFlatJsonObject("{}", nullptr));
}

// Every prefix of a line is refused without reading past it; the sanitizer
// build sees any read beyond the copy's end.
TEST(FlatJson, EveryCutOfALineIsRefused)
{
    const std::string line = R"({"a":"x\u00e9\ud83d\ude00y","b":-12,"c":true,"d":null,"e":"工"})";
    for (size_t length = 0; length < line.size(); ++length) {
        const std::string cut = line.substr(0, length);
        std::string error;
        EXPECT_FALSE(ParseFlatJsonObject(cut, &error)) << cut;
        EXPECT_FALSE(error.empty()) << cut;
    }
    EXPECT_TRUE(ParseFlatJsonObject(line, nullptr));
}

TEST(FlatJson, KeysAreBounded)
{
    std::string many = "{";
    for (int i = 0; i < 257; ++i)
        many += (i ? ",\"k" : "\"k") + std::to_string(i) + "\":0";
    many += "}";
    std::string error;
    EXPECT_FALSE(ParseFlatJsonObject(many, &error));
    EXPECT_NE(error.find("more than 256 keys"), std::string::npos) << error;
}

}  // namespace
