#pragma once

#include <string>

// The running program's directory with a trailing separator, worked out on
// first use. A front end (`--dir`) or a test may set it instead.
std::string GetProgramDirectory();
void SetProgramDirectory(const std::string& directory);

// The program file's name, the caption of message boxes.
std::string GetProgramName();
