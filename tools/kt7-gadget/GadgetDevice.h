#pragma once
// One simulated device served through one gadget: reads the host's output
// reports from the gadget's HID node, feeds them to the firmware and writes
// its answers back. On a reset request it leaves the bus and, after the
// re-attach delay, enumerates again.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "ConfigFsGadget.h"
#include "sim/SimConfig.h"
#include "sim/SimFirmware.h"

struct GadgetFaults {
    uint64_t unplugAfter = 0;  // 0: never; else leaves the bus for good after this many reports
    uint64_t stallAfter = 0;   // 0: never; else takes and answers nothing after this many reports
    bool noReattach = false;   // stays away after a reset
    bool slowErase = false;    // 34 ms per erased sector before the next answer
    uint32_t reattachMs = 1500;
};

class GadgetDevice {
public:
    GadgetDevice(int index, std::unique_ptr<ConfigFsGadget> gadget, uint16_t releaseNumber,
                 const std::string& versionText, const GadgetFaults& faults);
    ~GadgetDevice();
    GadgetDevice(const GadgetDevice&) = delete;
    GadgetDevice& operator=(const GadgetDevice&) = delete;

    // Creates and binds the gadget and opens its HID node.
    bool Start(std::string* error);
    // Serves the host until `stop` is set.
    void Run(const std::atomic<bool>& stop);

    SimFirmware& Firmware() { return m_firmware; }
    int Index() const { return m_index; }
    uint64_t ReportCount() const { return m_reports; }
    int ResetCount() const { return m_resets; }
    // Reports since the last re-attach (or the start) and the time from the
    // first of them to the last: the programming traffic of an update.
    uint64_t ReportsSinceAttach() const { return m_reports - m_reportsAtAttach; }
    double SecondsSinceAttach() const;

private:
    bool OpenNode(std::string* error);
    void CloseNode();
    void ServeOnce(int timeoutMs);
    void LeaveBus();
    void ReattachAfterReset(const std::atomic<bool>& stop);
    void Log(const std::string& text) const;
    void CountReport();

    int m_index;
    std::unique_ptr<ConfigFsGadget> m_gadget;
    SimFirmware m_firmware;
    GadgetFaults m_faults;
    uint16_t m_releaseNumber;
    int m_fd = -1;
    uint64_t m_reports = 0;
    int m_resets = 0;
    uint64_t m_reportsAtAttach = 0;
    std::chrono::steady_clock::time_point m_firstReportTime;  // since the last attach
    std::chrono::steady_clock::time_point m_lastReportTime;
    bool m_gone = false;  // left the bus for good
};
