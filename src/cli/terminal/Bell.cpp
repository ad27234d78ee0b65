#include "cli/terminal/Bell.h"

#include "cli/terminal/ConsoleColumns.h"

namespace {

// Terminals sound two bells written together as one.
constexpr uint32_t kSecondBellAfterMs = 400;

void RingOnce(std::FILE* out)
{
    std::fputs("\a", out);
    std::fflush(out);
}

} // namespace

void Bell::Ring(bool failed)
{
    if (!m_out)
        return;
    RingOnce(m_out);
    if (!failed)
        return;
    m_clock.Sleep(kSecondBellAfterMs);
    RingOnce(m_out);
}

Bell TerminalBell(bool wanted, Clock& clock)
{
    // A terminal says how wide it is; a file or a pipe does not.
    const bool terminal = ConsoleColumns(fileno(stderr)) > 0;
    return Bell(wanted && terminal ? stderr : nullptr, clock);
}
