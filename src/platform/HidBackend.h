#pragma once
// The seam between the HID link and whatever carries reports: hidapi for real
// devices, the simulator for tests and demos.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct HidDeviceInfo {
    std::string path;  // how Open finds it now; may change when it re-attaches
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t releaseNumber = 0;
    // Where it is plugged in (a USB port path such as "1-2.3", or "sim-0"):
    // unlike the path, it stays the same across a reset and re-attach.
    std::string location;
    std::string serialNumber;  // empty when the device has none
};

// One open device. Writes take a whole report, report ID first; reads deliver
// one input report's payload, without the report ID.
class HidDeviceHandle {
public:
    virtual ~HidDeviceHandle() = default;
    // Returns the number of bytes accepted, or -1 on failure or time-out.
    virtual int Write(const uint8_t* report, size_t length, uint32_t timeoutMs) = 0;
    // Returns the number of payload bytes read, 0 on time-out, -1 on failure.
    virtual int Read(uint8_t* payload, size_t capacity, uint32_t timeoutMs) = 0;
};

class HidBackend {
public:
    virtual ~HidBackend() = default;
    // Every present HID interface, in a stable order (sorted by path).
    virtual std::vector<HidDeviceInfo> Enumerate() = 0;
    // Opens a device for reading and writing; null when it can't be opened.
    virtual std::unique_ptr<HidDeviceHandle> Open(const std::string& path) = 0;
};

// A backend that sees no device: the default until a front end installs one.
class NoHidBackend final : public HidBackend {
public:
    std::vector<HidDeviceInfo> Enumerate() override { return {}; }
    std::unique_ptr<HidDeviceHandle> Open(const std::string&) override { return nullptr; }
};
