#pragma once
// The terminal's bell, for a dealer who is not looking at the screen: once
// when a device has finished, twice when it failed. Many workers ring it.

#include <cstdio>

#include "platform/Clock.h"

class Bell {
public:
    // Silent with no `out`.
    Bell(std::FILE* out, Clock& clock) : m_out(out), m_clock(clock) {}

    void Ring(bool failed);

private:
    std::FILE* const m_out;
    Clock& m_clock;
};

// --bell's bell on standard error, when that is a terminal; else a silent one.
Bell TerminalBell(bool wanted, Clock& clock);
