#pragma once
// Keeps Ctrl-C, SIGTERM and SIGHUP from ending the program while device
// commands may be in flight: a device cut off in the middle of an erase or a
// write waits for data that never comes.
//
// While a guard lives, those signals are held: the first one writes `notice`
// to standard error once, and Interrupted() turns true; the program goes on.
// The thread that makes the guard, and every thread it starts meanwhile,
// have the signals blocked, so that no device read or write is cut short by
// them; a watcher thread of the guard takes them instead. The destructor
// puts the signal mask and the handlers back. Make and destroy a guard on the
// same thread, one at a time.
//
// On Windows the console's Ctrl-C and Ctrl-Break are held the same way. A
// closed console window (or a logoff) is held as long as Windows lets a
// program finish, a few seconds, after which it ends the program anyway.

#include <memory>

class InterruptGuard {
public:
    // `notice` must outlive the guard. With none (null), nothing is written:
    // the owner looks at Interrupted() and tells the user what it does.
    explicit InterruptGuard(const char* notice);
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // True once a held signal has arrived: the program is to end with the
    // run's own exit code as soon as the run is over.
    bool Interrupted() const;

private:
    struct Held;  // the system's handlers, and what they replaced
    std::unique_ptr<Held> m_held;
};

// A write to a closed pipe or socket fails with EPIPE instead of ending the
// program: a reader that went away (`kt7-flash update | head`) must not stop
// an update.
void IgnoreBrokenPipe();
