#pragma once
// Environment variables as UTF-8 text (Windows keeps them in UTF-16).

#include <optional>
#include <string>

std::optional<std::string> EnvironmentVariable(const char* name);
