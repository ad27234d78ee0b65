#pragma once
// What a dealer keeps of each device update: one record per device and
// attempt, appended to the records file as one JSON line.

#include <cstdint>
#include <optional>
#include <string>

// The result keywords; a record may carry another short keyword that a
// later version writes, and is shown as it is.
inline constexpr char kResultSuccess[] = "success";
inline constexpr char kResultFailed[] = "failed";
inline constexpr char kResultStopped[] = "stopped";

struct DeviceRecord {
    int64_t timeUtc = 0;        // when the attempt ended, seconds since 1970-01-01 00:00 UTC
    int utcOffsetMinutes = 0;   // the station's local time then, minus UTC: local dates and times come from it
    std::string station;        // the bench's name
    std::string location;       // where the device was plugged in
    std::optional<std::string> serial;  // none when the device has no serial number
    std::string release;        // USB release number, 4 hex digits
    std::string packageFile;    // the package file's name
    std::string packageSha256;  // 64 lowercase hex digits; empty when the package was never read
    std::string firmwareVersion;
    std::string voiceVersion;
    std::string dataVersion;
    std::string updateTime;     // the package's own update time text
    bool verify = false;        // the areas were read back
    std::string result;         // kResultSuccess, kResultFailed, kResultStopped
    int exitCode = 0;
    std::string message;        // why it failed; empty on success
    int64_t durationMs = 0;
    int attempt = 1;            // 1 for the first try of a device, 2 for its first retry, ...

    bool operator==(const DeviceRecord&) const = default;
};
