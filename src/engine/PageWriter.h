#pragma once
// Writes a run of pages to every attached device and moves the progress page
// while the data goes out.

#include <cstdint>

class ProgressPage;

// Sends HID_CMD_WRITE and pageCount * 256 bytes from `data` to each device in
// turn. Returns pageCount * 256 on success; 0 when no device is attached, a
// transfer fails, or pageCount is 0.
int WritePagesWithProgress(ProgressPage& page, const uint8_t* data, uint32_t firstPage, uint32_t pageCount);
