#pragma once
// Guards a call that must not wait on a FIFO. If `path` is a FIFO and the
// call under watch still holds it open for reading after a generous limit
// (it is blocked in the opening, waiting for a writer), the watch opens and
// closes the writing end once, so the call returns and the test can fail
// instead of hanging. A call that refuses the FIFO at once never waits for
// the limit.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class FifoWatch {
public:
    explicit FifoWatch(const std::string& path, std::chrono::milliseconds limit = std::chrono::seconds(5));
    ~FifoWatch();
    FifoWatch(const FifoWatch&) = delete;
    FifoWatch& operator=(const FifoWatch&) = delete;

    // Ends the watch; true when the call had to be released from the FIFO.
    bool Released();

private:
    void Stop();

    std::mutex m_mutex;
    std::condition_variable m_stop;
    bool m_stopping = false;
    bool m_released = false;
    std::thread m_thread;
};
