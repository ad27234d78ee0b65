#pragma once
// JSON text for kt7-flash --json, built field by field. Strings are escaped
// (quotes, backslashes, control characters); UTF-8 passes through, and any
// byte that does not belong to a valid UTF-8 character becomes U+FFFD, so
// that whatever a package's text fields hold, the output stays valid JSON.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// `text` as a quoted JSON string.
std::string JsonString(std::string_view text);

class JsonObject {
public:
    JsonObject& Text(std::string_view key, std::string_view value);
    // null when there is no value.
    JsonObject& TextOrNull(std::string_view key, const std::optional<std::string>& value);
    JsonObject& Number(std::string_view key, int64_t value);
    JsonObject& Bool(std::string_view key, bool value);
    JsonObject& Null(std::string_view key);
    // `json` is JSON text already (an object or an array).
    JsonObject& Raw(std::string_view key, std::string_view json);

    // "{...}", on one line.
    std::string Str() const;

private:
    JsonObject& Key(std::string_view key);
    std::string m_body;
};

// "[...]" of elements that are JSON text already.
std::string JsonArray(const std::vector<std::string>& elements);
