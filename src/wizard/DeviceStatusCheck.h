#pragma once
// kt7-flash status, decided for one device: which package it is compared
// with (the one an update would write to it), whether that package may be
// used, what the device's control blocks say it holds, and the exit code
// that gives. Reads only.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "engine/ControlBlockReading.h"
#include "package/PackageShelf.h"
#include "platform/HidBackend.h"
#include "platform/RunContext.h"

// status: every device read, one at least holding another package, none, or
// its package's control blocks without all of its areas.
inline constexpr int kExitNotThePackage = 6;

struct DeviceStatus {
    enum class Kind {
        Read,              // `reading` says what it holds
        PackageNotLoaded,  // its package could not be loaded: not read
        PackageRefused,    // its package is not one expected: not read
        NotRead,           // the device did not answer the reads
    };
    Kind kind = Kind::NotRead;
    HidDeviceInfo device;
    std::string packagePath;  // the package it was compared with, or where it was looked for
    std::string sha256;       // that package's; empty when none was loaded
    std::optional<ControlBlockReading> reading;
    // When the blocks name the package: per area (main, voice, map) whether
    // its first and last pages are the package's.
    std::optional<std::array<bool, 3>> areaEndsAgree;
    // PackageNotLoaded, PackageRefused: the package's message; NotRead: what
    // happened, as the log has it.
    std::string message;
    int exitCode = 0;
};

// Its blocks name the package, and every area begins and ends as the package's.
bool HoldsThePackage(const DeviceStatus& status);

// Loads (from `packages`, shared by the devices of one kind) the package of
// `device`'s kind, refuses it unless its SHA-256 is among `expectedSha256`
// (empty: any), and reads the device's blocks under its own command set,
// seeing no other device. `index` numbers the device in the log as list does.
DeviceStatus CheckDeviceStatus(RunContext& context, PackageShelf& packages,
                               const std::vector<std::string>& expectedSha256, const HidDeviceInfo& device,
                               int index);
