#pragma once
// What a hid_write() result means for the report we gave it.

#include <cstddef>

// hidapi on Windows pads an output report shorter than the device's output
// report length with zeros and counts the padding as written; on Linux the
// count is what hidraw took. Either way, the caller's `length` bytes went out
// whole when the count reaches it. Returns -1 for a failure, else the bytes
// of the caller's report that were written.
int WrittenReportBytes(int written, size_t length);
