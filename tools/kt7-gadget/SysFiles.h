#pragma once
// Small helpers for the attribute files of configfs and sysfs, where one
// write(2) of the whole value is one setting.

#include <string>
#include <vector>

bool WriteAttribute(const std::string& path, const std::string& value, std::string* error);
bool WriteAttributeBytes(const std::string& path, const unsigned char* data, size_t length, std::string* error);
// The file's text without its trailing newline; empty when unreadable.
std::string ReadAttribute(const std::string& path);
bool MakeDirectory(const std::string& path, std::string* error);
// Names in a directory, sorted; empty when it can't be read.
std::vector<std::string> ListDirectory(const std::string& path);
