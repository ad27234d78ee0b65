#pragma once
// UTF-8 <-> UTF-16 for the Windows system boundary. Windows only.

#include <string>
#include <string_view>

// Broken UTF-8 or UTF-16 becomes U+FFFD rather than failing.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
