#pragma once
// Which of the two command-code sets the update uses: the base codes (offset
// 0x00) or the codes + 0x40 for devices with a special release number.

#include <cstdint>

#include "hid/DeviceState.h"

void SelectCommandSet(int deviceSpecific);

// The code to send for a base code under the current command set.
uint8_t CommandCode(uint8_t baseCode);
