#pragma once
// A HID backend whose devices are simulated: `devices` firmware instances
// behind stable paths, plus non-matching HID devices that never answer.
// Paths sort so that the others come first and ours follow in index order:
// "sim/0/other-00", ..., "sim/1/kt7-00", "sim/1/kt7-01", ... A device that
// re-attaches gets a new path ("sim/1/kt7-00.1", ...), as a new hidraw node
// would, and the old path no longer opens; its location stays sim-<i>.
//
// A device with an arrival time (arrive=) is absent until that much time has
// passed on the Clock since the backend started, then plugged in at its first
// path. Detach before then keeps it away; Attach plugs it in at once.
//
// Handles: Write hands the report to the firmware; Read returns the next
// answer. A read with nothing to deliver waits its time-out on the Clock and
// returns 0. A detached device, or a handle opened before the device last
// detached, fails with -1. Closing the last handle of a device drops its
// unread answers.
//
// A stalled device stays attached but its firmware no longer runs: reads and
// writes both wait their time-out on the Clock; a read returns 0, a write -1.
//
// Timing: in 'usb' mode every report costs 1 ms on the Clock and an erase
// keeps the device busy 34 ms per sector: reports are still taken, but a read
// waits for the busy time, at most its time-out (then it returns 0). In
// 'instant' mode nothing takes time.
//
// Thread-safe: one mutex guards everything; it is released while sleeping.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/HidBackend.h"
#include "sim/SimConfig.h"
#include "sim/SimFirmware.h"

inline constexpr uint16_t kSimOtherVendorId = 0x1234;
inline constexpr uint16_t kSimOtherProductId = 0x5678;
inline constexpr uint32_t kSimReportMs = 1;
inline constexpr uint32_t kSimEraseMsPerSector = 34;

// The location of simulated device i, which it keeps across re-attaches.
std::string SimLocation(int device);

class SimulatedBackend final : public HidBackend {
public:
    // Checks that config.flashDir is an existing folder, loads the flash
    // images found there, and creates the trace file. A problem (no such
    // folder, an image of the wrong size, a trace that cannot be created) is
    // kept in StartError(); the backend then writes no file at all.
    SimulatedBackend(const SimConfig& config, Clock& clock);
    // Finish(), for an owner that did not call it.
    ~SimulatedBackend() override;
    SimulatedBackend(const SimulatedBackend&) = delete;
    SimulatedBackend& operator=(const SimulatedBackend&) = delete;

    // Empty when the start went well; otherwise a message for the user.
    const std::string& StartError() const { return m_startError; }

    std::vector<HidDeviceInfo> Enumerate() override;
    std::unique_ptr<HidDeviceHandle> Open(const std::string& path) override;

    int DeviceCount() const { return static_cast<int>(m_devices.size()); }
    SimFirmware& Firmware(int device);
    bool IsAttached(int device);
    // Tests unplug and plug a device with these; Attach reboots the firmware.
    void Detach(int device);
    void Attach(int device);
    // Reports device i exchanged with the host so far, both directions.
    uint64_t ReportCount(int device);
    bool IsStalled(int device);
    // The device's current path.
    std::string PathOf(int device);

    // Writes the flash of every device whose flash changed since it was
    // loaded or last saved to flashDir (no-op without one); false with
    // *error on the first file that could not be written.
    bool SaveFlashFiles(std::string* error = nullptr);
    void FlushTrace();
    // Ends the run's files: saves the flash images and closes the trace.
    // False with *error when any of them could not be written completely.
    // Later calls do nothing and return true.
    bool Finish(std::string* error = nullptr);

    // Used by the handles.
    int HandleWrite(int device, uint64_t generation, const uint8_t* report, size_t length, uint32_t timeoutMs);
    int HandleRead(int device, uint64_t generation, uint8_t* payload, size_t capacity, uint32_t timeoutMs);
    void HandleClosed(int device, uint64_t generation);

private:
    struct Device;

    Device& At(int device);
    std::string PathOfLocked(int device);
    void UpdateTime();
    void Settle(Device& device);
    void CountReport(Device& device);
    void DetachLocked(Device& device, bool reattach);
    std::string CheckFlashFolder() const;
    void OpenTrace();
    void TraceReport(char direction, int device, const uint8_t* report65);
    enum class BusyWait { Ready, TimedOut, Gone };
    BusyWait WaitWhileBusy(std::unique_lock<std::mutex>& lock, Device& device, uint64_t generation, uint32_t timeoutMs);
    bool PayTime(std::unique_lock<std::mutex>& lock, Device& device, uint64_t generation, uint32_t ms);
    bool PayReportTime(std::unique_lock<std::mutex>& lock, Device& device, uint64_t generation);
    void Wait(std::unique_lock<std::mutex>& lock, uint32_t ms);

    SimConfig m_config;
    Clock& m_clock;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<Device>> m_devices;
    std::string m_startError;
    uint64_t m_nowMs = 0;  // 64-bit time built from the 32-bit tick
    uint32_t m_lastTick = 0;
    std::FILE* m_trace = nullptr;
    bool m_finished = false;
    std::vector<char> m_traceBuffer;
};
