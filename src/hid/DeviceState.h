#pragma once
// What a run has learnt about its devices: how many answered the last
// presence check that found any, and which command set they speak.

#include <cstdint>

#include "platform/RunBinding.h"

struct DeviceState {
    int m_deviceCount = 1;         // 1 until a presence check finds devices
    uint8_t m_cmdCodeOffset = 0x00; // 0x40 for devices with a special release number
};

inline DeviceState& CurrentDeviceState() { return RunBinding<DeviceState>::Current(); }
