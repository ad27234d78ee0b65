#include "hid/HidCmd.h"

#include <algorithm>
#include <cstring>

#include "hid/DeviceIdentity.h"
#include "hid/DeviceSet.h"

bool WriteCommandReport(CHidIO& io, uint8_t report[kReportSize], const CommandPacket& packet, int device,
                        uint32_t timeoutMs)
{
    BuildCommandReport(packet, report);
    uint32_t transferred = 0;
    if (!io.WriteReport(report, kReportSize, &transferred, timeoutMs, device))
        return false;
    return PayloadCount(transferred) > 0;
}

CHidCmd::CHidCmd(const DeviceSet& devices) : m_devices(devices), m_hidIo(devices.Backend())
{
    std::memset(m_report, kReportFiller, sizeof m_report);
}

CHidCmd::~CHidCmd() = default;

int CHidCmd::OpenDevice()
{
    return m_hidIo.OpenDevice(kDeviceVendorId, kDeviceProductId);
}

void CHidCmd::CloseDevice()
{
    m_hidIo.CloseDevice();
}

bool CHidCmd::SendCommand(uint8_t baseCode, uint32_t arg1, uint32_t arg2, int device, uint32_t timeoutMs)
{
    CommandPacket packet;
    packet.code = m_devices.CommandCode(baseCode);
    packet.arg1 = arg1;
    packet.arg2 = arg2;
    return WriteCommandReport(m_hidIo, m_report, packet, device, timeoutMs);
}

bool CHidCmd::SendData(const uint8_t* data, size_t length, uint32_t* payloadSent, int device, uint32_t timeoutMs)
{
    *payloadSent = 0;
    BuildDataReport(data, length, m_report);

    uint32_t transferred = 0;
    if (!m_hidIo.WriteReport(m_report, kReportSize, &transferred, timeoutMs, device))
        return false;
    uint32_t payload = std::min<uint32_t>(PayloadCount(transferred), kReportPayloadSize);
    if (payload == 0)
        return false;
    *payloadSent = payload;
    return true;
}

bool CHidCmd::ReadData(uint32_t* payloadRead, int device, uint32_t timeoutMs)
{
    *payloadRead = 0;
    // A short answer leaves filler behind it, never the previous report.
    std::memset(m_report, kReportFiller, sizeof m_report);
    uint32_t transferred = 0;
    if (!m_hidIo.ReadReport(m_report, kReportSize, &transferred, timeoutMs, device))
        return false;
    uint32_t payload = std::min<uint32_t>(PayloadCount(transferred), kReportPayloadSize);
    if (payload == 0)
        return false;
    *payloadRead = payload;
    return true;
}
