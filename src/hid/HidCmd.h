#pragma once
// A command object: one 65-byte report buffer and the operation's own set of
// open devices. Every command operation makes one on its stack, uses it for
// the length of the operation and lets it close the devices.

#include <cstddef>
#include <cstdint>

#include "hid/HidIO.h"
#include "hid/Protocol.h"

class DeviceSet;

// Payload bytes a transfer moved, given the transferred count (report ID
// included). 0 means the transfer carried nothing and has failed.
inline uint32_t PayloadCount(uint32_t transferred)
{
    return transferred > 1 ? transferred - 1 : 0;
}

// Builds `packet` (code taken as given) into `report` and writes it to
// `device`. True only when the report went out with a payload.
bool WriteCommandReport(CHidIO& io, uint8_t report[kReportSize], const CommandPacket& packet, int device,
                        uint32_t timeoutMs);

class CHidCmd {
public:
    // Commands go out under `devices`' command set, to the devices of its backend.
    explicit CHidCmd(const DeviceSet& devices);
    virtual ~CHidCmd();
    CHidCmd(const CHidCmd&) = delete;
    CHidCmd& operator=(const CHidCmd&) = delete;

    // Opens every device with the updater's vendor and product ID.
    int OpenDevice();
    void CloseDevice();
    int DeviceCount() const { return m_hidIo.DeviceCount(); }
    std::string Location(int device) const { return m_hidIo.Location(device); }
    // The devices it opened, and why its last transfer failed.
    const CHidIO& Io() const { return m_hidIo; }

    // Sends `baseCode` under the set's command set (CommandCode) with its
    // two arguments. True when the command report went out.
    bool SendCommand(uint8_t baseCode, uint32_t arg1, uint32_t arg2, int device, uint32_t timeoutMs);

    // Sends one data report carrying up to 64 bytes of `data` (a shorter tail
    // is followed by filler; nothing past `length` is read). On success
    // *payloadSent holds the payload bytes the report carried, never 0.
    bool SendData(const uint8_t* data, size_t length, uint32_t* payloadSent, int device, uint32_t timeoutMs);

    // Reads one report into the report buffer. On success *payloadRead holds
    // the payload bytes delivered, never 0; Payload() points at them.
    bool ReadData(uint32_t* payloadRead, int device, uint32_t timeoutMs);
    const uint8_t* Payload() const { return m_report + 1; }

private:
    const DeviceSet& m_devices;
    uint8_t m_report[kReportSize];
    CHidIO m_hidIo;
};
