#include "platform/ConsoleOutput.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

HANDLE g_console[3] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
HANDLE g_pipeReader = nullptr;
HANDLE g_pump = nullptr;
// The console whose mode we changed, and its mode before.
HANDLE g_modeChanged = INVALID_HANDLE_VALUE;
DWORD g_modeBefore = 0;

HANDLE ConsoleOf(int fd)
{
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : INVALID_HANDLE_VALUE;
}

// A handle of our own: the descriptor's is closed when the pipe takes its place.
HANDLE KeptCopy(HANDLE handle)
{
    HANDLE copy = INVALID_HANDLE_VALUE;
    if (handle == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return INVALID_HANDLE_VALUE;
    return copy;
}

void WriteToConsole(HANDLE console, const std::string& text)
{
    if (text.empty())
        return;
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    for (size_t done = 0; done < wide.size();) {
        DWORD written = 0;
        if (!WriteConsoleW(console, wide.data() + done, static_cast<DWORD>(wide.size() - done), &written, nullptr) ||
            written == 0)
            return;
        done += written;
    }
}

DWORD WINAPI Pump(void* console)
{
    std::string pending;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(g_pipeReader, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        pending.append(buffer, read);
        const size_t keep = UnfinishedUtf8Tail(pending);
        WriteToConsole(static_cast<HANDLE>(console), pending.substr(0, pending.size() - keep));
        pending.erase(0, pending.size() - keep);
    }
    WriteToConsole(static_cast<HANDLE>(console), pending);
    return 0;
}

// The console is shared with the shell and the programs after us: it is
// left as it was found.
void PutModeBack()
{
    if (g_modeChanged != INVALID_HANDLE_VALUE)
        SetConsoleMode(g_modeChanged, g_modeBefore);
}

// Ends the pipe and lets the thread write the rest, in the mode it was written for.
void DrainAtExit()
{
    std::fflush(stdout);
    std::fflush(stderr);
    for (int fd = 1; fd <= 2; ++fd) {
        if (g_console[fd] != INVALID_HANDLE_VALUE)
            _close(fd);
    }
    WaitForSingleObject(g_pump, 5000);
    PutModeBack();
}

} // namespace

void RouteConsoleOutputAsUtf16()
{
    if (g_pump)
        return;
    const HANDLE out = KeptCopy(ConsoleOf(1));
    const HANDLE err = KeptCopy(ConsoleOf(2));
    const HANDLE console = err != INVALID_HANDLE_VALUE ? err : out;
    if (console == INVALID_HANDLE_VALUE)
        return;
    // One pipe for both, so that their lines keep their order.
    HANDLE writer = nullptr;
    if (!CreatePipe(&g_pipeReader, &writer, nullptr, 0))
        return;
    const int pipeFd = _open_osfhandle(reinterpret_cast<intptr_t>(writer), _O_TEXT);
    if (pipeFd < 0) {
        CloseHandle(writer);
        CloseHandle(g_pipeReader);
        return;
    }
    g_pump = CreateThread(nullptr, 0, Pump, console, 0, nullptr);
    if (!g_pump) {
        _close(pipeFd);
        CloseHandle(g_pipeReader);
        return;
    }
    if (out != INVALID_HANDLE_VALUE) {
        std::fflush(stdout);
        _dup2(pipeFd, 1);
        g_console[1] = out;
        // A pipe would make the runtime buffer it; a console is written at once.
        std::setvbuf(stdout, nullptr, _IONBF, 0);
    }
    if (err != INVALID_HANDLE_VALUE) {
        std::fflush(stderr);
        _dup2(pipeFd, 2);
        g_console[2] = err;
        std::setvbuf(stderr, nullptr, _IONBF, 0);
    }
    _close(pipeFd);
    std::atexit(DrainAtExit);
}

bool TakesEscapeSequences(int fd)
{
    const HANDLE console = ConsoleBehind(fd);
    DWORD mode = 0;
    if (console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode))
        return false;
    if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING)
        return true;
    // Refused before Windows 10, whose console would show them as text (←[2K).
    if (!SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING))
        return false;
    if (g_modeChanged == INVALID_HANDLE_VALUE) {
        g_modeChanged = console;
        g_modeBefore = mode;
        if (!g_pump)  // else the drain puts it back, after the last text
            std::atexit(PutModeBack);
    }
    return true;
}

size_t UnfinishedUtf8Tail(std::string_view text)
{
    for (size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue;  // a continuation byte: its lead byte is further back
        const size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

HANDLE ConsoleBehind(int fd)
{
    if (fd >= 1 && fd <= 2 && g_console[fd] != INVALID_HANDLE_VALUE)
        return g_console[fd];
    return ConsoleOf(fd);
}
