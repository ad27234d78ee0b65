#pragma once
// How a diagnostic line is written into the log: readable UTF-8 text as is,
// every other byte as \xNN, so that a log never carries raw control bytes.

#include <ctime>
#include <string>
#include <string_view>

// Valid UTF-8 sequences of printable characters stay as they are; control
// bytes (NUL, CR, LF, ESC, DEL, ...), bytes of broken sequences and the
// backslash itself become \xNN.
std::string EscapeLogText(std::string_view text);

// "YYYY-MM-DD HH:MM:SS.mmm" in local time.
std::string LogTimeStamp(std::time_t seconds, int milliseconds);
