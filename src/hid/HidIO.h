#pragma once
// The set of open matching HID devices of one operation; moves single 65-byte
// reports (report ID first) to or from the device with a given index, and
// says why the last transfer failed.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hid/ReportSize.h"
#include "platform/HidBackend.h"

// Why a transfer moved nothing, as far as the link can tell.
enum class TransferError {
    None,
    NotOpen,   // the device could not be opened (or no such index)
    TimedOut,  // a read got no report within its bound
    Failed,    // the backend refused the transfer or lost the device
    Short,     // a write that carried no payload
};

class CHidIO {
public:
    static constexpr int kSlots = 32;
    static constexpr int kMaxDevices = kSlots - 1;  // the slot after the last device stays empty

    explicit CHidIO(HidBackend& backend);
    virtual ~CHidIO();
    CHidIO(const CHidIO&) = delete;
    CHidIO& operator=(const CHidIO&) = delete;

    // Opens every present device with these IDs, in enumeration order, at most
    // kMaxDevices. A matching device that can't be opened still counts; its
    // transfers fail. Returns the count.
    int OpenDevice(uint16_t vendorId, uint16_t productId);
    // The attached devices OpenDevice would open, in the order it numbers
    // them; nothing is opened.
    static std::vector<HidDeviceInfo> ListDevices(HidBackend& backend, uint16_t vendorId, uint16_t productId);
    // Closes every open device; the count stays as it was.
    void CloseDevice();
    int DeviceCount() const { return m_deviceCount; }
    // Where device `device` of the last OpenDevice is plugged in; "?" when unknown.
    std::string Location(int device) const;

    // Moves one report; 1 on success, 0 on failure (the count is then 0 and
    // LastError() says why). A read delivers the report ID byte (0) in front
    // of the device's payload.
    int ReadReport(uint8_t* buffer, uint32_t length, uint32_t* transferred, uint32_t timeoutMs, int device);
    int WriteReport(const uint8_t* buffer, uint32_t length, uint32_t* transferred, uint32_t timeoutMs, int device);
    TransferError LastError() const { return m_lastError; }

private:
    HidDeviceHandle* Handle(int device) const;

    HidBackend& m_backend;
    int m_deviceCount = 0;
    std::unique_ptr<HidDeviceHandle> m_handles[kSlots];
    std::vector<std::string> m_locations;
    TransferError m_lastError = TransferError::None;
};
