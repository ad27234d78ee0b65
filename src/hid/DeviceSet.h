#pragma once
// The updater's devices as one run sees them: how many answered the last
// presence check that found any, which command set they speak, and the
// command operations, which act on every attached device in turn and fail
// when those are not the devices counted (see HoldsCount). A command's code
// comes from the set it is sent to. The set also keeps the last failure of
// its operations, which its log has as one line.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hid/DeviceFailure.h"
#include "hid/HidIO.h"
#include "platform/Clock.h"
#include "platform/Diagnostics.h"
#include "platform/HidBackend.h"

class CHidCmd;

// Bound of every single report transfer: a device that stays attached but
// never answers fails like an unplugged one instead of hanging the update.
inline constexpr uint32_t kTransferTimeoutMs = 5000;

// The read that follows an erase waits for the erase itself; it gets this much
// more per sector so that a long erase is never cut short.
inline constexpr uint32_t kEraseTimeoutPerSectorMs = 500;

// Boot-loader version verdicts.
inline constexpr int kBootloaderVerdictUnknown = 0;
inline constexpr int kBootloaderVerdictCurrent = 1;
inline constexpr int kBootloaderVerdictTooOld = 2;
inline constexpr int kBootloaderVersionAnswerSize = 64;
inline constexpr long kMinimumBootloaderVersion = 108;

// Bound of the first handshake read after erasing `sectors` sectors.
uint32_t EraseHandshakeTimeoutMs(uint32_t sectors);

// The verdict after one version answer: `A` and a number below 108 (white
// space and a sign may precede the digits) -> 2, `A` otherwise or `B` -> 1,
// anything else keeps `verdict`.
int ClassifyBootloaderAnswer(const uint8_t* answer, size_t length, int verdict);

class DeviceSet {
public:
    // All three must outlive the set.
    DeviceSet(HidBackend& backend, Clock& clock, DiagnosticsSink& log);

    int m_deviceCount = 1;           // 1 until a presence check finds devices
    uint8_t m_cmdCodeOffset = 0x00;  // 0x40 for devices with a special release number

    HidBackend& Backend() const { return m_backend; }
    Clock& GetClock() const { return m_clock; }
    DiagnosticsSink& Log() const { return m_log; }

    // The base codes (0) or the codes + 0x40 (nonzero) for every command sent.
    void SelectCommandSet(int deviceSpecific);
    // The code to send for a base code under this set's command set.
    uint8_t CommandCode(uint8_t baseCode) const;

    // 1 if at least one device is attached, whose count it records in
    // m_deviceCount; else 0, keeping the last count. Changes nothing else.
    int IsDevicePresent();
    // The attached devices, as the operations number them; opens nothing.
    std::vector<HidDeviceInfo> List() const;
    // Keeps the locations of the devices attached now, so that a later
    // failure for a device that went away can name it.
    void RememberDevices();
    // `attached` devices were just opened for `operation`: true when they are
    // the m_deviceCount the run counted, else records the change (or that none
    // is attached) and returns false. A device that left or came during a run
    // would otherwise be skipped by every later command while the run still
    // reports success.
    bool HoldsCount(int attached, const std::string& operation);
    // A set that sees one device of a larger run (a worker of a parallel
    // update) names it in its failures as the run numbers it: device `first`.
    void NumberDevicesFrom(int first) { m_firstNumber = first; }

    // Writes `pageCount` pages (256 bytes each) from `source` from `firstPage`
    // on. Returns pageCount * 256 once every device has them, 0 on failure or
    // when no device is attached.
    int WritePages(const uint8_t* source, uint32_t firstPage, uint32_t pageCount);
    // Erases `sectorCount` sectors from `firstSector` on and waits for each
    // device to finish. Returns sectorCount on success (so 0 sectors reads as
    // failure), 0 on failure or when no device is attached.
    int EraseSectors(uint32_t firstSector, uint32_t sectorCount);
    // Sends the area table with the start sectors of the three areas (0xFFFF
    // for an absent one). 0 on success or with no device, 1 on failure.
    int WriteAreaInfo(uint16_t mainSector, uint16_t voiceSector, uint16_t mapSector);
    // Asks the devices to reset; they leave the bus and come back. 0 on
    // success or with no device, 1 on failure.
    int SendReset();
    // Tells the devices the update is over. 0 on success or with no device, 1
    // on failure.
    int SendEnd();
    // Asks every device for its boot-loader version. *verdict is that of the
    // last device whose answer could be classified (0 when none). Returns 64
    // once a device has answered, else 0.
    int CheckBootloaderVersion(int* verdict);

    // The last failure recorded since ClearFailure, if any.
    const std::optional<DeviceFailure>& Failure() const { return m_failure; }
    void ClearFailure() { m_failure.reset(); }
    // Keeps `failure` as the last one and writes its line to the log.
    void RecordFailure(DeviceFailure failure);
    // The transfer `step` (a read when `read`) of `operation` has just failed
    // on `device` of `io`: records why, telling a device that has left the
    // bus from one that did not answer within `timeoutMs`.
    void RecordTransferFailure(const CHidIO& io, int device, const std::string& operation,
                               const std::string& step, bool read, uint32_t timeoutMs);
    void RecordTransferFailure(const CHidCmd& cmd, int device, const std::string& operation,
                               const std::string& step, bool read, uint32_t timeoutMs);
    // The same failure as a value, not yet recorded.
    DeviceFailure DescribeTransferFailure(const CHidIO& io, int device, const std::string& operation,
                                          const std::string& step, bool read, uint32_t timeoutMs) const;
    // `attached` devices were found where the run counted m_deviceCount:
    // records it, naming a remembered device that is gone.
    void RecordCountChange(int attached, const std::string& operation);
    // No device answered at all.
    void RecordNoDevice(const std::string& operation);

private:
    HidBackend& m_backend;
    Clock& m_clock;
    DiagnosticsSink& m_log;
    std::vector<std::string> m_remembered;
    int m_firstNumber = 0;
    std::optional<DeviceFailure> m_failure;
};
