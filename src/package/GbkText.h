#pragma once
// The package's text fields are 8-bit GBK; the program's own texts are UTF-8.

#include <cstddef>
#include <string>

// Decodes GBK to UTF-8. ASCII passes unchanged; a byte that does not start a
// valid character (or a truncated pair at the end) becomes U+FFFD.
std::string GbkToUtf8(const char* bytes, size_t length);
