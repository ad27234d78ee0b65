#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>

void FuzzFail(const char* condition, const char* reason, const char* file, int line)
{
    std::fprintf(stderr, "FUZZ_CHECK failed at %s:%d: %s (%s)\n", file, line, reason, condition);
    std::abort();
}

uint8_t FuzzInput::Byte()
{
    return m_offset < m_size ? m_data[m_offset++] : 0;
}

uint16_t FuzzInput::Le16()
{
    uint16_t low = Byte();
    return static_cast<uint16_t>(low | Byte() << 8);
}

uint32_t FuzzInput::Le32()
{
    uint32_t low = Le16();
    return low | static_cast<uint32_t>(Le16()) << 16;
}

const uint8_t* FuzzInput::Bytes(size_t count, size_t* taken)
{
    size_t left = m_offset < m_size ? m_size - m_offset : 0;
    *taken = count < left ? count : left;
    const uint8_t* start = m_data + m_offset;
    m_offset += *taken;
    return start;
}

const uint8_t* FuzzInput::Rest(size_t* size)
{
    return Bytes(m_size, size);
}
