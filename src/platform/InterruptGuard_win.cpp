#include "platform/InterruptGuard.h"

#include <io.h>
#include <windows.h>

#include <atomic>
#include <cstring>

namespace {

std::atomic<bool> g_interrupted{false};
std::atomic<const char*> g_notice{nullptr};
// Set while no guard lives: a console close waiting in the handler may go on.
HANDLE g_released = nullptr;

// Runs on a thread of its own that Windows starts for the event.
BOOL WINAPI Hold(DWORD event)
{
    if (!g_interrupted.exchange(true)) {
        if (const char* notice = g_notice.load())
            _write(2, notice, static_cast<unsigned>(std::strlen(notice)));
    }
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        return TRUE;
    // Closing the console, logging off, shutting down: the program ends as
    // soon as this returns, so wait here for the device work to finish, as
    // long as Windows allows.
    WaitForSingleObject(g_released, INFINITE);
    return FALSE;
}

} // namespace

struct InterruptGuard::Held {};

InterruptGuard::InterruptGuard(const char* notice) : m_held(std::make_unique<Held>())
{
    if (!g_released)
        g_released = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ResetEvent(g_released);
    g_interrupted = false;
    g_notice = notice;
    SetConsoleCtrlHandler(Hold, TRUE);
}

InterruptGuard::~InterruptGuard()
{
    SetConsoleCtrlHandler(Hold, FALSE);
    g_notice = nullptr;
    SetEvent(g_released);
}

bool InterruptGuard::Interrupted() const
{
    return g_interrupted.load();
}

// A write to a closed pipe fails with an error on Windows; nothing ends the
// program for it.
void IgnoreBrokenPipe() {}
