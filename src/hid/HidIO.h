#pragma once
// The set of open matching HID devices of one operation; moves single 65-byte
// reports (report ID first) to or from the device with a given index.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "hid/ReportSize.h"
#include "platform/HidBackend.h"

class CHidIO {
public:
    static constexpr int kSlots = 32;
    static constexpr int kMaxDevices = kSlots - 1;  // the slot after the last device stays empty

    CHidIO();
    virtual ~CHidIO();
    CHidIO(const CHidIO&) = delete;
    CHidIO& operator=(const CHidIO&) = delete;

    // Opens every present device with these IDs, in enumeration order, at most
    // kMaxDevices. A matching device that can't be opened still counts; its
    // transfers fail. Returns the count.
    int OpenDevice(uint16_t vendorId, uint16_t productId);
    // The attached devices OpenDevice would open, in the order it numbers
    // them; nothing is opened.
    static std::vector<HidDeviceInfo> ListDevices(uint16_t vendorId, uint16_t productId);
    // Closes every open device; the count stays as it was.
    void CloseDevice();
    int DeviceCount() const { return m_deviceCount; }

    // Moves one report; 1 on success, 0 on failure (the count is then 0).
    // A read delivers the report ID byte (0) in front of the device's payload.
    int ReadReport(uint8_t* buffer, uint32_t length, uint32_t* transferred, uint32_t timeoutMs, int device);
    int WriteReport(const uint8_t* buffer, uint32_t length, uint32_t* transferred, uint32_t timeoutMs, int device);

private:
    HidDeviceHandle* Handle(int device) const;

    int m_deviceCount = 0;
    std::unique_ptr<HidDeviceHandle> m_handles[kSlots];
};
