#pragma once
// The simulator's trace file, opened for writing from the start.

#include <cstdio>
#include <string>

// Creates or empties `path` (UTF-8) without waiting: a FIFO with no reader
// is refused rather than hanging the start; a pipe someone reads, or a
// device, is taken as it is. Null with errno set when it cannot be opened.
std::FILE* OpenTraceFile(const std::string& path);
