#pragma once
// A strict reader for one JSON object whose values are all scalars: strings,
// whole numbers, true, false and null, as the records file's lines hold
// them. Anything else (nested values, fractions, bad escapes, invalid UTF-8,
// a repeated key, text after the object) is refused with the reason. It reads
// only the given text, whatever it holds.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct JsonScalar {
    enum class Kind { String, Integer, Bool, Null };
    Kind kind = Kind::Null;
    std::string text;     // a string's value, decoded to UTF-8
    int64_t integer = 0;
    bool boolean = false;
};

struct FlatJsonObject {
    std::vector<std::pair<std::string, JsonScalar>> members;  // in the order of the text

    // The value of `key`, or null when the object has no such key.
    const JsonScalar* Find(std::string_view key) const;
};

// The object `text` holds (whitespace around it allowed); none with the
// reason in *error when it is not one.
std::optional<FlatJsonObject> ParseFlatJsonObject(std::string_view text, std::string* error);
