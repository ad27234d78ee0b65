#pragma once

#include <string>

// The running program file's full path (UTF-8), empty when the system does
// not tell.
std::string OwnExecutablePath();
