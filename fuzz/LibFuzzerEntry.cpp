// libFuzzer's entry point for one target, chosen at compile time.
#include <cstddef>
#include <cstdint>

#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return KT7_FUZZ_ENTRY(data, size);
}
