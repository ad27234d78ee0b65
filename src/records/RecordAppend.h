#pragma once
// Appending one record line to the records file so that a crash loses no
// finished record and a full disk or a bad path is a value, not a throw.

#include <optional>
#include <string>
#include <string_view>

struct AppendFailure {
    std::string step;  // what could not be done: "make the folder of", "open", "write", "flush"
    std::string path;
    int error = 0;     // an errno value; Windows errors are given as the nearest one

    // "cannot write /dev/full: No space left on device"
    std::string Text() const;
};

// Appends `line` (a whole line, ending in '\n') to the file at `path`, made
// with its folder when missing: one write to the file opened for appending,
// so that lines of two writers never mix, then flushed to disk before it
// returns. When the file ends in a partly written line, a line break goes
// first, so that the new line stays whole. None when the line is on disk.
std::optional<AppendFailure> AppendRecordLine(const std::string& path, std::string_view line);
