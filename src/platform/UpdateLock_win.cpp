#include "platform/UpdateLock.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/Diagnostics.h"
#include "platform/WideText.h"

namespace {

constexpr wchar_t kLockFileName[] = L"kt7-updater.lock";

std::string SystemErrorText(DWORD error)
{
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string result = text ? WideToUtf8(text) : "error " + std::to_string(error);
    LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
        result.pop_back();
    return result;
}

} // namespace

// The user's temporary folder: every update on this machine under this
// account meets the same file.
std::string MachineUpdateLockPath()
{
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH)
        return {};
    return WideToUtf8(std::wstring(folder, length) + kLockFileName);
}

UpdateLock::UpdateLock(const std::string& path, DiagnosticsSink& log)
{
    if (path.empty()) {
        m_held = true;
        return;
    }
    // The lock is the handle's: Windows drops it when the handle closes,
    // also when the holder crashes, so a file left behind blocks nothing.
    HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DiagPrintf(log, "WARNING: no update lock, can't open %s: %s\n", path.c_str(),
                   SystemErrorText(GetLastError()).c_str());
        m_held = true;
        return;
    }
    OVERLAPPED whole {};
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
        m_fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY);
        if (m_fd < 0)
            CloseHandle(file);  // the lock goes with it; carry on as if held
        m_held = true;
        return;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_LOCK_VIOLATION) {
        DiagPrintf(log, "WARNING: no update lock, can't lock %s: %s\n", path.c_str(), SystemErrorText(error).c_str());
        m_held = true;
    }
    CloseHandle(file);
}

UpdateLock::~UpdateLock()
{
    if (m_fd >= 0)
        _close(m_fd);
}
