#pragma once
// Paths are UTF-8 text throughout our code. The system gets them in its own
// form: bytes as they are on Linux, UTF-16 on Windows, so that a folder with
// a Chinese name is reached whatever the Windows code page is.

#include <cstdio>
#include <filesystem>
#include <string>

std::filesystem::path PathFromUtf8(const std::string& text);
std::string PathToUtf8(const std::filesystem::path& path);

// std::fopen for a UTF-8 path. In `mode`, 'e' asks for a handle that child
// processes do not inherit.
std::FILE* OpenFile(const std::string& path, const char* mode);
