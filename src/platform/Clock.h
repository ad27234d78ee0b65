#pragma once
// Millisecond time: a steady clock for real runs, a virtual one for tests in
// which sleeping advances time at once.

#include <atomic>
#include <cstdint>

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start; wraps like a 32-bit tick counter.
    virtual uint32_t TickCount() = 0;
    virtual void Sleep(uint32_t ms) = 0;
};

class SteadyClock final : public Clock {
public:
    uint32_t TickCount() override;
    void Sleep(uint32_t ms) override;
};

class VirtualClock final : public Clock {
public:
    explicit VirtualClock(uint64_t startMs = 0) : m_nowMs(startMs) {}
    uint32_t TickCount() override { return static_cast<uint32_t>(m_nowMs.load()); }
    void Sleep(uint32_t ms) override { m_nowMs += ms; }
    void Advance(uint64_t ms) { m_nowMs += ms; }
    uint64_t NowMs() const { return m_nowMs.load(); }

private:
    std::atomic<uint64_t> m_nowMs;
};
