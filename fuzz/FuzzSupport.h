#pragma once
// Helpers shared by the fuzz targets: an input reader that never runs past
// its bytes, quiet platform services, and a check that aborts with a reason.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/Diagnostics.h"

// Aborts with the condition and the reason on standard error, so that both
// libFuzzer and the replay test see a crash.
#define FUZZ_CHECK(condition, reason) \
    ((condition) ? (void)0 : FuzzFail(#condition, reason, __FILE__, __LINE__))

[[noreturn]] void FuzzFail(const char* condition, const char* reason, const char* file, int line);

// Takes values off the front of the input; past its end every value reads 0.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    uint8_t Byte();
    uint16_t Le16();
    uint32_t Le32();
    // Up to `count` bytes; *taken says how many were there.
    const uint8_t* Bytes(size_t count, size_t* taken);
    const uint8_t* Rest(size_t* size);
    bool Empty() const { return m_offset >= m_size; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_offset = 0;
};

// Diagnostics go nowhere: the targets run millions of times.
class DiscardingDiagnostics final : public DiagnosticsSink {
public:
    void Write(std::string_view) override {}
};
