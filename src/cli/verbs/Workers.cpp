#include "cli/verbs/Workers.h"

#include <chrono>

void Workers::Start(std::function<void()> work)
{
    m_threads.emplace_back([this, work = std::move(work)] {
        work();
        std::lock_guard lock(m_mutex);
        ++m_finished;
        m_done.notify_all();
    });
}

void Workers::WaitAll(const std::function<void()>& look)
{
    {
        std::unique_lock lock(m_mutex);
        // Real time, not the run's clock: waiting here must not move a
        // virtual clock on under the workers.
        while (!m_done.wait_for(lock, std::chrono::milliseconds(100), [&] { return m_finished == m_threads.size(); })) {
            lock.unlock();
            look();
            lock.lock();
        }
    }
    JoinAll();
}

void Workers::JoinAll()
{
    for (std::thread& thread : m_threads)
        if (thread.joinable())
            thread.join();
}
