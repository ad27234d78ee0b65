#include "hid/DeviceSet.h"

#include <algorithm>

#include "hid/DeviceIdentity.h"
#include "hid/HidCmd.h"
#include "hid/Protocol.h"

DeviceSet::DeviceSet(HidBackend& backend, Clock& clock, DiagnosticsSink& log)
    : m_backend(backend), m_clock(clock), m_log(log)
{
}

void DeviceSet::SelectCommandSet(int deviceSpecific)
{
    m_cmdCodeOffset = deviceSpecific ? 0x40 : 0x00;
}

uint8_t DeviceSet::CommandCode(uint8_t baseCode) const
{
    if (baseCode == HID_CMD_VERSION)
        return baseCode;
    return static_cast<uint8_t>(baseCode + m_cmdCodeOffset);
}

int DeviceSet::IsDevicePresent()
{
    CHidIO io(m_backend);
    int count = io.OpenDevice(kDeviceVendorId, kDeviceProductId);
    if (count == 0)
        return 0;
    m_deviceCount = count;
    io.CloseDevice();
    return 1;
}

std::vector<HidDeviceInfo> DeviceSet::List() const
{
    return CHidIO::ListDevices(m_backend, kDeviceVendorId, kDeviceProductId);
}

void DeviceSet::RememberDevices()
{
    m_remembered.clear();
    for (const HidDeviceInfo& device : List())
        m_remembered.push_back(device.location.empty() ? device.path : device.location);
}

bool DeviceSet::HoldsCount(int attached, const std::string& operation)
{
    if (attached == 0) {
        RecordNoDevice(operation);
        return false;
    }
    if (attached != m_deviceCount) {
        RecordCountChange(attached, operation);
        return false;
    }
    return true;
}

void DeviceSet::RecordFailure(DeviceFailure failure)
{
    if (failure.device >= 0)
        failure.device += m_firstNumber;
    m_log.Write(FailureLogLine(failure));
    m_failure = std::move(failure);
}

void DeviceSet::RecordTransferFailure(const CHidIO& io, int device, const std::string& operation,
                                      const std::string& step, bool read, uint32_t timeoutMs)
{
    RecordFailure(DescribeTransferFailure(io, device, operation, step, read, timeoutMs));
}

void DeviceSet::RecordTransferFailure(const CHidCmd& cmd, int device, const std::string& operation,
                                      const std::string& step, bool read, uint32_t timeoutMs)
{
    RecordTransferFailure(cmd.Io(), device, operation, step, read, timeoutMs);
}

DeviceFailure DeviceSet::DescribeTransferFailure(const CHidIO& io, int device, const std::string& operation,
                                                 const std::string& step, bool read, uint32_t timeoutMs) const
{
    DeviceFailure failure{operation, device, io.Location(device), FailureCause::NotSent, ""};
    const std::vector<HidDeviceInfo> now = List();
    const bool gone = std::none_of(now.begin(), now.end(), [&](const HidDeviceInfo& info) {
        return info.location == failure.location || info.path == failure.location;
    });
    if (gone) {
        failure.cause = FailureCause::DeviceGone;
        failure.detail = "the device left the bus (unplugged?) at " + step;
    } else {
        switch (io.LastError()) {
        case TransferError::NotOpen:
            failure.cause = FailureCause::NotOpened;
            failure.detail = "the device could not be opened for " + step;
            break;
        case TransferError::TimedOut:
            failure.cause = FailureCause::NoAnswer;
            failure.detail = "no answer to " + step + " within " + std::to_string(timeoutMs) + " ms";
            break;
        case TransferError::Short:
            failure.cause = FailureCause::NotSent;
            failure.detail = step + " went out without its payload";
            break;
        case TransferError::Failed:
        case TransferError::None:
            failure.cause = read ? FailureCause::ReadFailed : FailureCause::NotSent;
            failure.detail = (read ? "reading " : "sending ") + step + " failed";
            break;
        }
    }
    return failure;
}

void DeviceSet::RecordCountChange(int attached, const std::string& operation)
{
    DeviceFailure failure{operation, -1, "", FailureCause::DevicesChanged,
                          std::to_string(attached) + (attached == 1 ? " device" : " devices") + " attached, " +
                              std::to_string(m_deviceCount) + " expected"};
    const std::vector<HidDeviceInfo> now = List();
    for (size_t i = 0; i < m_remembered.size(); ++i) {
        const std::string& location = m_remembered[i];
        const bool present = std::any_of(now.begin(), now.end(), [&](const HidDeviceInfo& info) {
            return info.location == location || info.path == location;
        });
        if (!present) {
            failure.device = static_cast<int>(i);
            failure.location = location;
            failure.cause = FailureCause::DeviceGone;
            failure.detail = "the device left the bus (" + failure.detail + ")";
            break;
        }
    }
    RecordFailure(std::move(failure));
}

void DeviceSet::RecordNoDevice(const std::string& operation)
{
    // Within a run, no device at all means the ones it counted have gone.
    if (!m_remembered.empty()) {
        RecordCountChange(0, operation);
        return;
    }
    RecordFailure(DeviceFailure{operation, -1, "", FailureCause::NoDevice, "no device attached"});
}
