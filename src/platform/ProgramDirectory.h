#pragma once

#include <string>

// The running program's directory with a trailing separator; empty when the
// system does not say where the program is.
std::string GetProgramDirectory();

// The program file's name, the caption of message boxes.
std::string GetProgramName();
