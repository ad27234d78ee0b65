#pragma once
// What a device's release number selects: the package file and the command
// set. Every generic release number selects the same; any other selects its
// own. One run updates devices of one kind only.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hid/ReleaseProbe.h"
#include "platform/HidBackend.h"

struct DeviceKind {
    bool deviceSpecific = false;
    uint16_t release = 0;  // the release number when deviceSpecific, else 0

    bool operator==(const DeviceKind&) const = default;
};

DeviceKind KindOf(uint16_t releaseNumber);
// The kind a release probe found; the generic kind when it found no device.
DeviceKind KindOf(const ReleaseProbe& probe);

// The four hex digits that go into the package file's name, or empty for the
// generic kind.
std::string ReleaseTextOf(DeviceKind kind);

// The first command code a device of this kind is sent and the last, as in
// "0xA1-0xA6", taken from the protocol's codes.
std::string CommandRangeOf(DeviceKind kind);

// The kind every device of `devices` is of; nullopt when they are of more
// than one kind (or when there are none).
std::optional<DeviceKind> CommonKind(const std::vector<HidDeviceInfo>& devices);
