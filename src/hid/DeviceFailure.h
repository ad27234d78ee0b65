#pragma once
// Where and why a device operation failed: the operation, the device (index
// and where it is plugged in), the page or sector, and the cause. The log
// gets it as one line; the user still sees the operation's fixed message.

#include <cstdint>
#include <string>

enum class FailureCause {
    NoDevice,        // no device was attached when the operation began
    DevicesChanged,  // another number of devices than the run counted
    NotOpened,       // the device is listed but could not be opened
    NotSent,         // a report could not be written to it
    NoAnswer,        // a read got nothing within its bound
    ShortAnswer,     // it stopped answering part of the way through
    ReadFailed,      // the system refused a read
    DeviceGone,      // the device has left the bus
    Differs,         // it answered with other bytes than were written
    Unrecognised,    // an answer that says nothing the updater understands
    OutsideFlash,    // the pages or sectors asked for are not on the device
};

struct DeviceFailure {
    std::string operation;  // "erase of sectors 16-47", "write of pages 300-563"
    int device = -1;        // index among the devices the operation opened; -1: not one device
    std::string location;   // where that device is plugged in; empty when not one device
    FailureCause cause = FailureCause::NoDevice;
    std::string detail;     // the cause in words, for the log
};

// "ERROR: erase of sectors 16-47 on device 1 (1-2.3): no answer to the
// handshake read within 5000 ms", with a line end.
std::string FailureLogLine(const DeviceFailure& failure);

// "pages 4-5" or "page 4" (unit "page"), for the log.
std::string RangeText(const char* unit, uint32_t first, uint32_t count);
