#include "support/FifoWatch.h"

// Windows has no FIFOs in the file system, so no opening can wait on one.
FifoWatch::FifoWatch(const std::string&, std::chrono::milliseconds) {}

FifoWatch::~FifoWatch() = default;

bool FifoWatch::Released()
{
    return false;
}

void FifoWatch::Stop() {}
