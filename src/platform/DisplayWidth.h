#pragma once
// How many terminal columns UTF-8 text takes: Chinese and other wide
// characters take two, combining marks none, everything else one.

#include <string>
#include <string_view>

int DisplayWidth(std::string_view text);

// The longest start of `text` that takes at most `columns` columns, cut
// between characters.
std::string ClipToWidth(std::string_view text, int columns);

// `text` followed by spaces up to `columns` columns (unchanged when wider),
// so that columns of a table line up whatever the script of their texts.
std::string PadToWidth(std::string_view text, int columns);
