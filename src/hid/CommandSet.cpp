#include "hid/CommandSet.h"

#include "hid/Protocol.h"

void SelectCommandSet(int deviceSpecific)
{
    CurrentDeviceState().m_cmdCodeOffset = deviceSpecific ? 0x40 : 0x00;
}

uint8_t CommandCode(uint8_t baseCode)
{
    if (baseCode == HID_CMD_VERSION)
        return baseCode;
    return static_cast<uint8_t>(baseCode + CurrentDeviceState().m_cmdCodeOffset);
}
