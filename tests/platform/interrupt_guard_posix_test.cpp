#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/InterruptGuard.h"

namespace {

std::atomic<int> g_ownHandlerCalls{0};

void OwnHandler(int)
{
    ++g_ownHandlerCalls;
}

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

bool Blocked(int signal)
{
    sigset_t mask;
    pthread_sigmask(SIG_BLOCK, nullptr, &mask);
    return sigismember(&mask, signal) == 1;
}

// Each held signal is taken while the guard lives, without ending the
// program and without reaching the handler that was there before; once the
// guard is gone, that handler and the signal mask are back.
TEST(InterruptGuard, HoldsEachSignalThenPutsTheHandlersBack)
{
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        struct sigaction own {}, saved{};
        own.sa_handler = OwnHandler;
        sigemptyset(&own.sa_mask);
        sigaction(signal, &own, &saved);
        g_ownHandlerCalls = 0;
        {
            InterruptGuard guard("");
            EXPECT_FALSE(guard.Interrupted());
            EXPECT_TRUE(Blocked(signal)) << "a device read on this thread could be cut short";
            // Two of them: the notice is for the first only, nothing else changes.
            kill(getpid(), signal);
            kill(getpid(), signal);
            EXPECT_TRUE(WaitUntil(guard));
        }
        EXPECT_FALSE(Blocked(signal));
        EXPECT_EQ(g_ownHandlerCalls.load(), 0);
        kill(getpid(), signal);
        const auto giveUpAt = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (g_ownHandlerCalls.load() == 0 && std::chrono::steady_clock::now() < giveUpAt)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(g_ownHandlerCalls.load(), 1) << "the earlier handler is back";
        sigaction(signal, &saved, nullptr);
    }
}

TEST(InterruptGuard, ThreadsStartedUnderTheGuardHaveTheSignalsBlocked)
{
    InterruptGuard guard("");
    bool blocked = false;
    std::thread worker([&] { blocked = Blocked(SIGINT) && Blocked(SIGTERM) && Blocked(SIGHUP); });
    worker.join();
    EXPECT_TRUE(blocked);
}

} // namespace
