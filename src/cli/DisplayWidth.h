#pragma once
// How many terminal columns UTF-8 text takes: Chinese and other wide
// characters take two, combining marks none, everything else one.

#include <string>
#include <string_view>

int DisplayWidth(std::string_view text);

// The longest start of `text` that takes at most `columns` columns, cut
// between characters.
std::string ClipToWidth(std::string_view text, int columns);
