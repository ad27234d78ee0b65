#pragma once
// The devices an update acts on, what each selects, and the closing report
// of an update: one line per device, on standard output.

#include <string>
#include <vector>

#include "engine/DeviceResult.h"
#include "platform/HidBackend.h"

// The attached devices the update acts on, in the order it numbers them.
std::vector<HidDeviceInfo> UpdatedDevices(HidBackend& backend);

// "<location>  release XXXX  <result>", and what went wrong.
std::string DeviceResultLine(const DeviceResult& result);

// The package file a device with this release number selects.
std::string PackageFileNameFor(uint16_t releaseNumber);

// The command codes a device with this release number is sent, as a range.
std::string CommandRangeFor(uint16_t releaseNumber);
