#include "platform/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/WideText.h"

namespace {

// The errno the package messages understand for why a file did not open.
int ErrnoOfOpenFailure(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return EACCES;
    default:
        return EIO;
    }
}

} // namespace

RegularFile::RegularFile(const std::string& path)
{
    const std::wstring widePath = Utf8ToWide(path);
    HANDLE handle = CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A folder is refused as "access denied"; it is no regular file.
        const DWORD attributes = GetFileAttributesW(widePath.c_str());
        const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        m_openError = folder ? 0 : ErrnoOfOpenFailure(error);
        return;
    }
    // Pipes and character devices (CON, NUL, COM1) are not files on disk.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        m_openError = 0;
        return;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        m_openError = EIO;
        return;
    }
    m_fd = fd;
}

RegularFile::~RegularFile()
{
    if (m_fd >= 0)
        _close(m_fd);
}

int64_t RegularFile::Length() const
{
    LARGE_INTEGER size {};
    if (m_fd < 0 || !GetFileSizeEx(reinterpret_cast<HANDLE>(_get_osfhandle(m_fd)), &size))
        return -1;
    return static_cast<int64_t>(size.QuadPart);
}

ssize_t RegularFile::Read(uint8_t* buffer, size_t count)
{
    if (m_fd < 0)
        return -1;
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(m_fd));
    size_t done = 0;
    while (done < count) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(handle, buffer + done, want, &got, nullptr))
            return -1;
        if (got == 0)
            break;
        done += got;
    }
    return static_cast<ssize_t>(done);
}
