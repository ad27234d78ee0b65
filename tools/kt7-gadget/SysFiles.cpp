#include "SysFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

static std::string Failure(const std::string& what, const std::string& path)
{
    return what + " " + path + ": " + std::strerror(errno);
}

bool WriteAttributeBytes(const std::string& path, const unsigned char* data, size_t length, std::string* error)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = Failure("can't open", path);
        return false;
    }
    ssize_t written = ::write(fd, data, length);
    if (written != static_cast<ssize_t>(length)) {
        *error = Failure("can't write", path);
        ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

bool WriteAttribute(const std::string& path, const std::string& value, std::string* error)
{
    return WriteAttributeBytes(path, reinterpret_cast<const unsigned char*>(value.data()), value.size(), error);
}

std::string ReadAttribute(const std::string& path)
{
    std::ifstream in(path);
    std::string text;
    std::getline(in, text);
    return text;
}

bool MakeDirectory(const std::string& path, std::string* error)
{
    if (::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST)
        return true;
    *error = Failure("can't create", path);
    return false;
}

std::vector<std::string> ListDirectory(const std::string& path)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return names;
    while (dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}
