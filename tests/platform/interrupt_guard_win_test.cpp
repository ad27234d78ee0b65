#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <thread>

#include "platform/InterruptGuard.h"

namespace {

bool WaitUntil(const InterruptGuard& guard)
{
    const auto giveUpAt = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!guard.Interrupted()) {
        if (std::chrono::steady_clock::now() > giveUpAt)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Ctrl-C reaches the guard and the program goes on; afterwards the guard's
// handler is gone again (a second guard starts uninterrupted).
TEST(InterruptGuard, HoldsCtrlCWhileItLives)
{
    {
        InterruptGuard guard("");
        EXPECT_FALSE(guard.Interrupted());
        if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0))
            GTEST_SKIP() << "no console to send Ctrl-C to";
        EXPECT_TRUE(WaitUntil(guard));
    }
    InterruptGuard next("");
    EXPECT_FALSE(next.Interrupted());
}

} // namespace
