#include "backends/SlicedRead.h"

#include <algorithm>

int ReadInSlices(const std::function<int(uint32_t)>& readSlice, const std::function<bool()>& nodeExists,
                 uint32_t timeoutMs, uint32_t sliceMs)
{
    sliceMs = std::max<uint32_t>(sliceMs, 1);
    uint32_t remaining = timeoutMs;
    for (;;) {
        uint32_t slice = std::min(remaining, sliceMs);
        int read = readSlice(slice);
        if (read < 0)
            return -1;
        if (read > 0)
            return read;
        if (!nodeExists())
            return -1;
        remaining -= slice;
        if (remaining == 0)
            return 0;
    }
}
