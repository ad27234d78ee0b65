#pragma once
// The seeded pseudo-random generator the update uses for its random blocks:
// draws from 0 to 32767, seeded from the clock's tick count.

#include <cstdint>

class Random {
public:
    static constexpr int kMax = 32767;

    explicit Random(uint32_t seed = 1) : m_state(seed) {}
    void Seed(uint32_t seed) { m_state = seed; }
    // Linear congruential step; the upper bits are the better ones, so the
    // draw is taken from bits 16 to 30.
    int Next()
    {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFFu);
    }

private:
    uint32_t m_state;
};
