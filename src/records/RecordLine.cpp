#include "records/RecordLine.h"

#include <cctype>
#include <cstdint>

#include "platform/JsonWriter.h"
#include "records/FlatJson.h"
#include "records/RecordTime.h"

namespace {

constexpr char kEvent[] = "record";
constexpr int kMaxOffsetMinutes = 18 * 60;  // the widest UTC offsets in use
constexpr size_t kMaxResultLength = 32;

bool AllOf(std::string_view text, bool (*accepted)(char))
{
    for (char c : text)
        if (!accepted(c))
            return false;
    return true;
}

bool IsHexDigit(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool IsLowerHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

bool IsKeywordCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || c == '-';
}

// Takes the fields out of the parsed object one by one; the first that is
// missing or wrong names itself in the error.
class Fields {
public:
    Fields(const FlatJsonObject& object, std::string* error) : m_object(object), m_error(error) {}

    bool Ok() const { return m_ok; }

    std::string Text(const char* key)
    {
        const JsonScalar* value = Get(key, JsonScalar::Kind::String);
        return value ? value->text : std::string();
    }

    std::optional<std::string> TextOrNull(const char* key)
    {
        const JsonScalar* value = m_object.Find(key);
        if (value && value->kind == JsonScalar::Kind::Null)
            return std::nullopt;
        return Text(key);
    }

    int64_t Integer(const char* key, int64_t low, int64_t high)
    {
        const JsonScalar* value = Get(key, JsonScalar::Kind::Integer);
        if (!value)
            return 0;
        if (value->integer < low || value->integer > high)
            Refuse(key, "out of range");
        return value->integer;
    }

    bool Bool(const char* key)
    {
        const JsonScalar* value = Get(key, JsonScalar::Kind::Bool);
        return value && value->boolean;
    }

    void Require(bool condition, const char* key, const char* problem)
    {
        if (!condition)
            Refuse(key, problem);
    }

private:
    const JsonScalar* Get(const char* key, JsonScalar::Kind kind)
    {
        const JsonScalar* value = m_object.Find(key);
        if (!value) {
            Refuse(key, "missing");
            return nullptr;
        }
        if (value->kind != kind) {
            Refuse(key, "of the wrong kind");
            return nullptr;
        }
        return value;
    }

    void Refuse(const char* key, const char* problem)
    {
        if (m_ok && m_error)
            *m_error = std::string("field \"") + key + "\" " + problem;
        m_ok = false;
    }

    const FlatJsonObject& m_object;
    std::string* m_error;
    bool m_ok = true;
};

}  // namespace

std::string EncodeRecordLine(const DeviceRecord& r)
{
    JsonObject line;
    line.Number("schema", kRecordSchema)
        .Text("event", kEvent)
        .Text("time", IsoUtcText(r.timeUtc))
        .Number("utc_offset_min", r.utcOffsetMinutes)
        .Text("station", r.station)
        .Text("location", r.location)
        .TextOrNull("serial", r.serial)
        .Text("release", r.release)
        .Text("package", r.packageFile)
        .Text("package_sha256", r.packageSha256)
        .Text("firmware_version", r.firmwareVersion)
        .Text("voice_version", r.voiceVersion)
        .Text("data_version", r.dataVersion)
        .Text("update_time", r.updateTime)
        .Bool("verify", r.verify)
        .Text("result", r.result)
        .Number("exit_code", r.exitCode)
        .Text("message", r.message)
        .Number("duration_ms", r.durationMs)
        .Number("attempt", r.attempt);
    return line.Str() + "\n";
}

std::optional<DeviceRecord> DecodeRecordLine(std::string_view line, std::string* error)
{
    const std::optional<FlatJsonObject> object = ParseFlatJsonObject(line, error);
    if (!object)
        return std::nullopt;
    Fields fields(*object, error);
    fields.Require(fields.Integer("schema", INT64_MIN, INT64_MAX) == kRecordSchema, "schema", "not 1");
    fields.Require(fields.Text("event") == kEvent, "event", "not \"record\"");
    if (!fields.Ok())
        return std::nullopt;

    DeviceRecord r;
    const std::optional<int64_t> time = ParseIsoUtcText(fields.Text("time"));
    fields.Require(time.has_value(), "time", "not a UTC time such as 2026-12-10T08:15:30Z");
    r.timeUtc = time.value_or(0);
    r.utcOffsetMinutes = int(fields.Integer("utc_offset_min", -kMaxOffsetMinutes, kMaxOffsetMinutes));
    r.station = fields.Text("station");
    r.location = fields.Text("location");
    r.serial = fields.TextOrNull("serial");
    r.release = fields.Text("release");
    fields.Require(r.release.size() == 4 && AllOf(r.release, IsHexDigit), "release", "not 4 hex digits");
    r.packageFile = fields.Text("package");
    r.packageSha256 = fields.Text("package_sha256");
    fields.Require(r.packageSha256.empty() || (r.packageSha256.size() == 64 && AllOf(r.packageSha256, IsLowerHexDigit)),
                   "package_sha256", "not 64 lowercase hex digits");
    r.firmwareVersion = fields.Text("firmware_version");
    r.voiceVersion = fields.Text("voice_version");
    r.dataVersion = fields.Text("data_version");
    r.updateTime = fields.Text("update_time");
    r.verify = fields.Bool("verify");
    r.result = fields.Text("result");
    fields.Require(!r.result.empty() && r.result.size() <= kMaxResultLength && AllOf(r.result, IsKeywordCharacter),
                   "result", "not a short keyword");
    r.exitCode = int(fields.Integer("exit_code", 0, 255));
    r.message = fields.Text("message");
    r.durationMs = fields.Integer("duration_ms", 0, INT64_MAX);
    r.attempt = int(fields.Integer("attempt", 1, 1000000));
    if (!fields.Ok())
        return std::nullopt;
    return r;
}
