#include "hid/HidIO.h"

#include <cstring>

CHidIO::CHidIO(HidBackend& backend) : m_backend(backend) {}

CHidIO::~CHidIO()
{
    CloseDevice();
}

int CHidIO::OpenDevice(uint16_t vendorId, uint16_t productId)
{
    CloseDevice();
    m_deviceCount = 0;
    m_locations.clear();
    // A device that can't be opened still takes its index; its transfers fail.
    for (const HidDeviceInfo& info : ListDevices(m_backend, vendorId, productId)) {
        m_handles[m_deviceCount++] = m_backend.Open(info.path);
        m_locations.push_back(info.location.empty() ? info.path : info.location);
    }
    return m_deviceCount;
}

std::vector<HidDeviceInfo> CHidIO::ListDevices(HidBackend& backend, uint16_t vendorId, uint16_t productId)
{
    std::vector<HidDeviceInfo> devices;
    for (const HidDeviceInfo& info : backend.Enumerate()) {
        if (info.vendorId != vendorId || info.productId != productId)
            continue;
        // The tables end here; further devices are left alone rather than
        // written past the last slot.
        if (devices.size() == static_cast<size_t>(kMaxDevices))
            break;
        devices.push_back(info);
    }
    return devices;
}

void CHidIO::CloseDevice()
{
    for (auto& handle : m_handles)
        handle.reset();
}

std::string CHidIO::Location(int device) const
{
    if (device < 0 || static_cast<size_t>(device) >= m_locations.size())
        return "?";
    return m_locations[static_cast<size_t>(device)];
}

HidDeviceHandle* CHidIO::Handle(int device) const
{
    if (device < 0 || device >= m_deviceCount)
        return nullptr;
    return m_handles[device].get();
}

int CHidIO::ReadReport(uint8_t* buffer, uint32_t length, uint32_t* transferred, uint32_t timeoutMs, int device)
{
    if (transferred)
        *transferred = 0;
    HidDeviceHandle* handle = Handle(device);
    if (!handle || !buffer || length < 2) {
        m_lastError = TransferError::NotOpen;
        return 0;
    }
    // The backend delivers the payload only; the report ID goes in front.
    const size_t capacity = length - 1;
    int payloadBytes = handle->Read(buffer + 1, capacity, timeoutMs);
    if (payloadBytes <= 0 || static_cast<size_t>(payloadBytes) > capacity) {
        m_lastError = payloadBytes == 0 ? TransferError::TimedOut : TransferError::Failed;
        return 0;
    }
    buffer[0] = 0;
    // A short report must not leave an earlier report's bytes behind it.
    std::memset(buffer + 1 + payloadBytes, 0, capacity - static_cast<size_t>(payloadBytes));
    if (transferred)
        *transferred = static_cast<uint32_t>(payloadBytes) + 1;
    m_lastError = TransferError::None;
    return 1;
}

int CHidIO::WriteReport(const uint8_t* buffer, uint32_t length, uint32_t* transferred, uint32_t timeoutMs, int device)
{
    if (transferred)
        *transferred = 0;
    HidDeviceHandle* handle = Handle(device);
    if (!handle || !buffer || length < 2) {
        m_lastError = TransferError::NotOpen;
        return 0;
    }
    int written = handle->Write(buffer, length, timeoutMs);
    // Only the report ID accepted, or more than was given, is not a transfer.
    if (written <= 1 || static_cast<uint32_t>(written) > length) {
        m_lastError = written == 0 || written == 1 ? TransferError::Short : TransferError::Failed;
        return 0;
    }
    if (transferred)
        *transferred = static_cast<uint32_t>(written);
    m_lastError = TransferError::None;
    return 1;
}
