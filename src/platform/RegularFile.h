#pragma once
// A file opened for reading whole: only a regular file is accepted, and the
// opening never waits (a FIFO would wait for a writer, a device for data).
// The type is taken from what was opened, so a name swapped after a check
// cannot slip a special file in.

#include <cstddef>
#include <cstdint>
#include <string>

#include <sys/types.h>

class RegularFile {
public:
    explicit RegularFile(const std::string& path);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    // False when the path could not be opened or is not a regular file.
    bool IsOpen() const { return m_fd >= 0; }
    // Why it is not open: the error of the opening, or 0 when what was opened
    // is not a regular file.
    int OpenError() const { return m_openError; }
    // The file's length now, or -1 when it is not open.
    int64_t Length() const;
    // Reads until `count` bytes are in or the file ends; -1 on a read error.
    ssize_t Read(uint8_t* buffer, size_t count);

private:
    int m_fd = -1;
    int m_openError = 0;
};
