#pragma once
// The object `kt7-flash info --json` prints (docs/json.md).

#include <optional>
#include <string>

#include "package/Package.h"

// The summary's fields, the areas with where they go in flash, the first
// failing check's message (empty `checkFailure`: null, the package passes),
// the file's SHA-256, and whether it is one expected (nullopt: none was given).
std::string InfoJson(const std::string& path, const PackageHeader& header, const std::string& checkFailure,
                     const std::string& sha256, std::optional<bool> expected);

// A package that could not be loaded: where it was looked for, and why.
std::string InfoErrorJson(const std::string& path, const std::string& error);
