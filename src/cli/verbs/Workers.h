#pragma once
// The workers of a run of devices side by side, one thread each, and the
// run's own thread waiting for them, looking at something of its own (an
// interrupt to tell of) while they work.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class Workers {
public:
    ~Workers() { JoinAll(); }

    // Runs `work` on a thread of its own.
    void Start(std::function<void()> work);
    // Returns once every worker is done; meanwhile calls `look` every tenth
    // of a second of real time, on this thread.
    void WaitAll(const std::function<void()>& look);

private:
    void JoinAll();

    std::mutex m_mutex;
    std::condition_variable m_done;
    size_t m_finished = 0;
    std::vector<std::thread> m_threads;
};
