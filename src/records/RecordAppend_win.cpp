#include "records/RecordAppend.h"

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <system_error>
#include <windows.h>

#include "platform/SystemPath.h"
#include "platform/WideText.h"

namespace {

int ErrnoOf(DWORD error)
{
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
        return ENOENT;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    default:
        return EIO;
    }
}

// Append access alone: every write goes to the file's end, whatever another
// writer did. Read access serves the look at the last byte only.
HANDLE OpenForAppending(const std::wstring& path)
{
    constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE handle = CreateFileW(path.c_str(), FILE_READ_DATA | FILE_APPEND_DATA | SYNCHRONIZE, kShare, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED)
        handle = CreateFileW(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, kShare, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle;
}

bool EndsInPartLine(HANDLE handle)
{
    LARGE_INTEGER size {};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &size) || size.QuadPart == 0)
        return false;
    const uint64_t at = static_cast<uint64_t>(size.QuadPart - 1);
    OVERLAPPED where {};
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    char last = '\n';
    DWORD got = 0;
    return ReadFile(handle, &last, 1, &got, &where) && got == 1 && last != '\n';
}

bool WriteAll(HANDLE handle, std::string_view text)
{
    while (!text.empty()) {
        DWORD written = 0;
        if (!WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
            return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        text.remove_prefix(written);
    }
    return true;
}

}  // namespace

std::optional<AppendFailure> AppendRecordLine(const std::string& path, std::string_view line)
{
    const std::filesystem::path folder = PathFromUtf8(path).parent_path();
    if (!folder.empty()) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error)
            return AppendFailure{"make the folder of", path, error.default_error_condition().value()};
    }
    const std::wstring widePath = Utf8ToWide(path);
    HANDLE handle = OpenForAppending(widePath);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesW(widePath.c_str());
        const bool isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        return AppendFailure{"open", path, isFolder ? EISDIR : ErrnoOf(error)};
    }
    std::optional<AppendFailure> failure;
    const std::string text = (EndsInPartLine(handle) ? "\n" : "") + std::string(line);
    if (!WriteAll(handle, text))
        failure = AppendFailure{"write", path, ErrnoOf(GetLastError())};
    else if (GetFileType(handle) == FILE_TYPE_DISK && !FlushFileBuffers(handle))
        failure = AppendFailure{"flush", path, ErrnoOf(GetLastError())};
    CloseHandle(handle);
    return failure;
}
