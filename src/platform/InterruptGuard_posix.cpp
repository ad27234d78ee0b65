#include "platform/InterruptGuard.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <thread>

namespace {

constexpr int kHeldSignals[] = {SIGINT, SIGTERM, SIGHUP};

// What the handler touches: lock-free atomics only, so that it is safe in a
// signal handler and between threads.
static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<const char*>::is_always_lock_free);
std::atomic<bool> g_interrupted{false};
std::atomic<const char*> g_notice{nullptr};

void Hold(int)
{
    if (g_interrupted.exchange(true))
        return;
    const char* notice = g_notice.load();
    if (!notice)
        return;
    const int savedErrno = errno;
    size_t left = std::strlen(notice);
    while (left > 0) {
        const ssize_t written = write(STDERR_FILENO, notice, left);
        if (written <= 0)
            break;
        notice += written;
        left -= static_cast<size_t>(written);
    }
    errno = savedErrno;
}

sigset_t HeldSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kHeldSignals)
        sigaddset(&set, signal);
    return set;
}

// Wakes the watcher when the guard ends; sent to the watcher thread only.
int StopSignal()
{
    return SIGRTMIN;
}

} // namespace

struct InterruptGuard::Held {
    void Watch();

    sigset_t savedMask;
    struct sigaction savedActions[std::size(kHeldSignals)];
    std::atomic<bool> stopping{false};
    std::thread watcher;
};

InterruptGuard::InterruptGuard(const char* notice) : m_held(std::make_unique<Held>())
{
    g_interrupted = false;
    g_notice = notice;

    struct sigaction action {};
    action.sa_handler = Hold;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kHeldSignals); ++i)
        sigaction(kHeldSignals[i], &action, &m_held->savedActions[i]);

    sigset_t blocked = HeldSet();
    sigaddset(&blocked, StopSignal());
    pthread_sigmask(SIG_BLOCK, &blocked, &m_held->savedMask);
    m_held->watcher = std::thread([held = m_held.get()] { held->Watch(); });
}

InterruptGuard::~InterruptGuard()
{
    m_held->stopping = true;
    pthread_kill(m_held->watcher.native_handle(), StopSignal());
    m_held->watcher.join();

    // A signal still pending here reaches Hold when the mask is restored,
    // before the old handlers are.
    pthread_sigmask(SIG_SETMASK, &m_held->savedMask, nullptr);
    for (size_t i = 0; i < std::size(kHeldSignals); ++i)
        sigaction(kHeldSignals[i], &m_held->savedActions[i], nullptr);
    g_notice = nullptr;
}

bool InterruptGuard::Interrupted() const
{
    return g_interrupted.load();
}

void InterruptGuard::Held::Watch()
{
    // The mask is inherited from the guard's thread: every signal waited for
    // here is blocked, as sigwait wants.
    sigset_t waited = HeldSet();
    sigaddset(&waited, StopSignal());
    while (!stopping.load()) {
        int signal = 0;
        if (sigwait(&waited, &signal) != 0)
            continue;
        if (signal != StopSignal())
            Hold(signal);
    }
}

void IgnoreBrokenPipe()
{
    signal(SIGPIPE, SIG_IGN);
}
