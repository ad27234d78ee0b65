#include "support/FifoWatch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FifoWatch::FifoWatch(const std::string& path, std::chrono::milliseconds limit)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISFIFO(info.st_mode))
        return;
    m_thread = std::thread([this, path, limit] {
        std::unique_lock lock(m_mutex);
        if (m_stop.wait_for(lock, limit, [this] { return m_stopping; }))
            return;
        // Succeeds only while a reader has the FIFO open.
        int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (writer >= 0) {
            ::close(writer);
            m_released = true;
        }
    });
}

FifoWatch::~FifoWatch()
{
    Stop();
}

bool FifoWatch::Released()
{
    Stop();
    return m_released;
}

void FifoWatch::Stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_stop.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}
