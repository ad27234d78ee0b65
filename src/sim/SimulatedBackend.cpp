#include "sim/SimulatedBackend.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>

#include "hid/DeviceIdentity.h"
#include "hid/Protocol.h"
#include "platform/FlashGeometry.h"
#include "platform/SystemPath.h"
#include "sim/TraceFile.h"

namespace {

constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();
constexpr const char* kOtherPrefix = "sim/0/other-";
constexpr const char* kDevicePrefix = "sim/1/kt7-";
constexpr size_t kTraceBufferSize = 1 << 20;

std::string TwoDigits(int number)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", number);
    return text;
}

// "<prefix>NN..." -> NN, or -1.
int IndexAfter(const std::string& path, const char* prefix, int count)
{
    const size_t length = std::strlen(prefix);
    if (path.size() < length + 2 || path.compare(0, length, prefix) != 0)
        return -1;
    const char high = path[length];
    const char low = path[length + 1];
    if (high < '0' || high > '9' || low < '0' || low > '9')
        return -1;
    const int index = (high - '0') * 10 + (low - '0');
    return index < count ? index : -1;
}

std::string FlashFileOf(const std::string& directory, int device)
{
    return PathToUtf8(PathFromUtf8(directory) / ("device" + std::to_string(device) + ".bin"));
}

}  // namespace

struct SimulatedBackend::Device {
    std::unique_ptr<SimFirmware> firmware;
    bool attached = true;
    bool reattachPending = false;
    uint64_t reattachAtMs = 0;
    bool arrivalPending = false;  // not plugged in yet
    uint64_t arriveAtMs = 0;
    uint64_t generation = 0;  // bumped at every detach; older handles fail
    int attaches = 0;         // re-attaches so far; each gives a new path, as a new hidraw node does
    int openHandles = 0;
    uint64_t reports = 0;
    uint64_t unplugAfter = kNever;
    uint64_t stallAfter = kNever;
    uint64_t dropAfter = kNever;
    bool stalled = false;
    bool noReattach = false;
    uint64_t savedFlashChanges = 0;  // the firmware's change count when the file last matched
    uint64_t busyUntilMs = 0;
    uint64_t linkDueMs = 0;  // when the link has carried the last report
};

namespace {

// A handle on one of our devices, or (device < 0) on a non-matching one,
// which accepts writes and never answers.
class SimulatedHandle final : public HidDeviceHandle {
public:
    SimulatedHandle(SimulatedBackend& backend, int device, uint64_t generation, Clock& clock)
        : m_backend(backend), m_device(device), m_generation(generation), m_clock(clock)
    {
    }
    ~SimulatedHandle() override
    {
        if (m_device >= 0)
            m_backend.HandleClosed(m_device, m_generation);
    }

    int Write(const uint8_t* report, size_t length, uint32_t timeoutMs) override
    {
        if (m_device < 0)
            return static_cast<int>(length);
        return m_backend.HandleWrite(m_device, m_generation, report, length, timeoutMs);
    }

    int Read(uint8_t* payload, size_t capacity, uint32_t timeoutMs) override
    {
        if (m_device < 0) {
            m_clock.Sleep(timeoutMs);
            return 0;
        }
        return m_backend.HandleRead(m_device, m_generation, payload, capacity, timeoutMs);
    }

private:
    SimulatedBackend& m_backend;
    int m_device;
    uint64_t m_generation;
    Clock& m_clock;
};

}  // namespace

SimulatedBackend::SimulatedBackend(const SimConfig& config, Clock& clock)
    : m_config(config), m_clock(clock), m_lastTick(clock.TickCount())
{
    m_startError = CheckFlashFolder();
    for (int i = 0; i < m_config.devices; ++i) {
        auto device = std::make_unique<Device>();
        device->firmware = std::make_unique<SimFirmware>(m_config.ReleaseOf(i), m_config.versionText);
        for (const SimReportFault& fault : m_config.unplug)
            if (fault.device == i)
                device->unplugAfter = std::min(device->unplugAfter, fault.afterReports);
        for (const SimReportFault& fault : m_config.stall)
            if (fault.device == i)
                device->stallAfter = std::min(device->stallAfter, fault.afterReports);
        for (const SimReportFault& fault : m_config.drop)
            if (fault.device == i)
                device->dropAfter = std::min(device->dropAfter, std::max<uint64_t>(fault.afterReports, 1));
        device->noReattach =
            std::find(m_config.noReattach.begin(), m_config.noReattach.end(), i) != m_config.noReattach.end();
        for (const SimBadPage& bad : m_config.badPages)
            if (bad.device == i)
                device->firmware->SetBadPage(bad.page, std::numeric_limits<uint32_t>::max());
        for (const SimBadPage& corrupt : m_config.corruptPages)
            if (corrupt.device == i)
                device->firmware->SetCorruptPage(corrupt.page);
        if (device->unplugAfter == 0) {
            device->attached = false;
            device->unplugAfter = kNever;
        }
        device->stalled = device->stallAfter == 0;
        if (static_cast<size_t>(i) < m_config.arriveMs.size() && m_config.arriveMs[i] > 0) {
            device->attached = false;
            device->arrivalPending = true;
            device->arriveAtMs = m_config.arriveMs[i];
        }

        if (m_startError.empty() && !m_config.flashDir.empty()) {
            const std::string path = FlashFileOf(m_config.flashDir, i);
            std::error_code code;
            if (std::filesystem::exists(PathFromUtf8(path), code)) {
                std::string error;
                if (!device->firmware->LoadFlash(path, &error) && m_startError.empty())
                    m_startError = "simulated device " + std::to_string(i) + ": " + error;
            }
        }
        device->savedFlashChanges = device->firmware->FlashChanges();
        m_devices.push_back(std::move(device));
    }

    if (m_startError.empty() && !m_config.traceFile.empty())
        OpenTrace();
}

// The folder is the user's: it must be there already, and nothing but the
// images goes into it.
std::string SimulatedBackend::CheckFlashFolder() const
{
    std::error_code code;
    if (m_config.flashDir.empty() || std::filesystem::is_directory(PathFromUtf8(m_config.flashDir), code))
        return {};
    return "flash=" + m_config.flashDir + " is not an existing folder";
}

void SimulatedBackend::OpenTrace()
{
    const std::string& path = m_config.traceFile;
    if (!(m_trace = OpenTraceFile(path))) {
        m_startError = "trace=" + path + " cannot be created: " + std::strerror(errno);
        return;
    }
    m_traceBuffer.resize(kTraceBufferSize);
    std::setvbuf(m_trace, m_traceBuffer.data(), _IOFBF, m_traceBuffer.size());
}

SimulatedBackend::~SimulatedBackend()
{
    Finish();
}

bool SimulatedBackend::Finish(std::string* error)
{
    if (m_finished)
        return true;
    m_finished = true;
    std::string message;
    bool saved = SaveFlashFiles(&message);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_trace) {
        bool written = std::fflush(m_trace) == 0 && !std::ferror(m_trace);
        int savedErrno = errno;
        if (std::fclose(m_trace) != 0 && written) {
            written = false;
            savedErrno = errno;
        }
        m_trace = nullptr;
        if (!written && saved) {
            saved = false;
            message = "cannot write the trace " + m_config.traceFile + ": " + std::strerror(savedErrno);
        }
    }
    if (!saved && error)
        *error = message;
    return saved;
}

SimulatedBackend::Device& SimulatedBackend::At(int device)
{
    return *m_devices.at(static_cast<size_t>(device));
}

void SimulatedBackend::UpdateTime()
{
    const uint32_t tick = m_clock.TickCount();
    m_nowMs += static_cast<uint32_t>(tick - m_lastTick);
    m_lastTick = tick;
}

void SimulatedBackend::Settle(Device& device)
{
    if (!device.attached && device.reattachPending && m_nowMs >= device.reattachAtMs) {
        device.attached = true;
        device.reattachPending = false;
        ++device.attaches;
        device.firmware->Reboot();
    }
    if (!device.attached && device.arrivalPending && m_nowMs >= device.arriveAtMs) {
        device.attached = true;
        device.arrivalPending = false;
    }
}

void SimulatedBackend::DetachLocked(Device& device, bool reattach)
{
    device.attached = false;
    ++device.generation;
    device.openHandles = 0;
    device.busyUntilMs = 0;
    device.firmware->Reboot();
    device.reattachPending = reattach;
    device.reattachAtMs = m_nowMs + m_config.reattachMs;
}

void SimulatedBackend::CountReport(Device& device)
{
    ++device.reports;
    if (device.reports >= device.stallAfter) {
        device.stalled = true;
        device.stallAfter = kNever;
    }
    if (device.reports >= device.unplugAfter) {
        device.unplugAfter = kNever;
        DetachLocked(device, false);
    }
    if (device.attached && device.reports >= device.dropAfter) {
        device.dropAfter = kNever;
        DetachLocked(device, true);
    }
}

void SimulatedBackend::Wait(std::unique_lock<std::mutex>& lock, uint32_t ms)
{
    if (ms == 0)
        return;
    lock.unlock();
    m_clock.Sleep(ms);
    lock.lock();
    UpdateTime();
}

// Sleeps, then tells whether the handle's device is still there.
bool SimulatedBackend::PayTime(std::unique_lock<std::mutex>& lock, Device& device, uint64_t generation, uint32_t ms)
{
    Wait(lock, ms);
    return device.attached && device.generation == generation;
}

// A report takes a millisecond of link time. Sleeping a millisecond per
// report would add every late wake-up of the host's sleep to the run, so the
// reports are paced against the link's schedule and a late wake-up is made up
// by the next ones. After an idle spell the schedule starts afresh.
bool SimulatedBackend::PayReportTime(std::unique_lock<std::mutex>& lock, Device& device, uint64_t generation)
{
    constexpr uint64_t kMaxCatchUpMs = 5;
    if (device.linkDueMs + kMaxCatchUpMs < m_nowMs)
        device.linkDueMs = m_nowMs;
    device.linkDueMs += kSimReportMs;
    if (device.linkDueMs <= m_nowMs)
        return device.attached && device.generation == generation;
    return PayTime(lock, device, generation, static_cast<uint32_t>(device.linkDueMs - m_nowMs));
}

SimulatedBackend::BusyWait SimulatedBackend::WaitWhileBusy(std::unique_lock<std::mutex>& lock, Device& device,
                                                           uint64_t generation, uint32_t timeoutMs)
{
    if (device.busyUntilMs <= m_nowMs)
        return BusyWait::Ready;
    const uint64_t busy = device.busyUntilMs - m_nowMs;
    if (busy > timeoutMs) {
        Wait(lock, timeoutMs);
        return BusyWait::TimedOut;
    }
    return PayTime(lock, device, generation, static_cast<uint32_t>(busy)) ? BusyWait::Ready : BusyWait::Gone;
}

void SimulatedBackend::TraceReport(char direction, int device, const uint8_t* report65)
{
    if (!m_trace)
        return;
    static const char kHex[] = "0123456789abcdef";
    char line[16 + 2 * kReportSize];
    int length = std::snprintf(line, 16, "%c %d ", direction, device);
    for (size_t i = 0; i < kReportSize; ++i) {
        line[length++] = kHex[report65[i] >> 4];
        line[length++] = kHex[report65[i] & 0x0F];
    }
    line[length++] = '\n';
    std::fwrite(line, 1, static_cast<size_t>(length), m_trace);
}

int SimulatedBackend::HandleWrite(int index, uint64_t generation, const uint8_t* report, size_t length,
                                  uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    UpdateTime();
    Device& device = At(index);
    Settle(device);
    if (!device.attached || device.generation != generation || length != kReportSize)
        return -1;
    if (device.stalled) {
        Wait(lock, timeoutMs);
        return -1;
    }
    // An erasing device still takes reports (the host sends its handshake
    // read command at once); only its answers wait for the erase.
    if (m_config.timing == SimTiming::Usb && !PayReportTime(lock, device, generation))
        return -1;

    TraceReport('W', index, report);
    SimFirmware& firmware = *device.firmware;
    firmware.OnHostReport(report);
    const uint32_t erased = firmware.TakeErasedSectors();
    if (erased != 0 && m_config.timing == SimTiming::Usb)
        device.busyUntilMs = std::max(device.busyUntilMs, m_nowMs) + uint64_t(erased) * kSimEraseMsPerSector;
    if (firmware.ResetRequested())
        DetachLocked(device, !device.noReattach);
    CountReport(device);
    return static_cast<int>(length);
}

int SimulatedBackend::HandleRead(int index, uint64_t generation, uint8_t* payload, size_t capacity,
                                 uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    UpdateTime();
    Device& device = At(index);
    Settle(device);
    if (!device.attached || device.generation != generation)
        return -1;
    if (device.stalled) {
        Wait(lock, timeoutMs);
        return 0;
    }
    switch (WaitWhileBusy(lock, device, generation, timeoutMs)) {
    case BusyWait::Ready:
        break;
    case BusyWait::TimedOut:
        return 0;
    case BusyWait::Gone:
        return -1;
    }
    SimFirmware& firmware = *device.firmware;
    if (!firmware.HasReportForHost()) {
        Wait(lock, timeoutMs);
        return 0;
    }
    if (m_config.timing == SimTiming::Usb && !PayReportTime(lock, device, generation))
        return -1;

    uint8_t report[kReportSize];
    report[0] = kReportId;
    firmware.PopReportForHost(report + 1);
    TraceReport('R', index, report);
    CountReport(device);
    const size_t delivered = std::min(capacity, kReportPayloadSize);
    std::memcpy(payload, report + 1, delivered);
    return static_cast<int>(delivered);
}

void SimulatedBackend::HandleClosed(int index, uint64_t generation)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Device& device = At(index);
    if (device.generation != generation || device.openHandles == 0)
        return;
    if (--device.openHandles == 0)
        device.firmware->DropReportsForHost();
}

std::vector<HidDeviceInfo> SimulatedBackend::Enumerate()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    UpdateTime();
    std::vector<HidDeviceInfo> list;
    list.reserve(static_cast<size_t>(m_config.others) + m_devices.size());
    for (int i = 0; i < m_config.others; ++i)
        list.push_back({kOtherPrefix + TwoDigits(i), kSimOtherVendorId, kSimOtherProductId, 0x0100,
                        "sim-other-" + std::to_string(i), ""});
    for (size_t i = 0; i < m_devices.size(); ++i) {
        Device& device = *m_devices[i];
        Settle(device);
        if (device.attached)
            list.push_back({PathOfLocked(static_cast<int>(i)), kDeviceVendorId, kDeviceProductId,
                            device.firmware->ReleaseNumber(), SimLocation(static_cast<int>(i)),
                            m_config.SerialOf(static_cast<int>(i))});
    }
    return list;
}

std::unique_ptr<HidDeviceHandle> SimulatedBackend::Open(const std::string& path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    UpdateTime();
    if (IndexAfter(path, kOtherPrefix, m_config.others) >= 0)
        return std::make_unique<SimulatedHandle>(*this, -1, 0, m_clock);
    const int index = IndexAfter(path, kDevicePrefix, DeviceCount());
    if (index < 0)
        return nullptr;
    Device& device = At(index);
    Settle(device);
    // A path from before the last re-attach names a node that is gone.
    if (!device.attached || path != PathOfLocked(index))
        return nullptr;
    ++device.openHandles;
    return std::make_unique<SimulatedHandle>(*this, index, device.generation, m_clock);
}

SimFirmware& SimulatedBackend::Firmware(int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return *At(index).firmware;
}

bool SimulatedBackend::IsAttached(int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    UpdateTime();
    Device& device = At(index);
    Settle(device);
    return device.attached;
}

bool SimulatedBackend::IsStalled(int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return At(index).stalled;
}

uint64_t SimulatedBackend::ReportCount(int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return At(index).reports;
}

void SimulatedBackend::Detach(int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    UpdateTime();
    Device& device = At(index);
    device.arrivalPending = false;
    if (device.attached || device.reattachPending)
        DetachLocked(device, false);
}

void SimulatedBackend::Attach(int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Device& device = At(index);
    if (device.attached)
        return;
    device.attached = true;
    device.reattachPending = false;
    device.arrivalPending = false;
    ++device.attaches;
    device.stalled = false;  // plugging in again restarts a hung device
    device.firmware->Reboot();
}

std::string SimulatedBackend::PathOf(int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return PathOfLocked(index);
}

// Later paths sort right after the first, so that the devices keep their order.
std::string SimulatedBackend::PathOfLocked(int index)
{
    const int attaches = At(index).attaches;
    return kDevicePrefix + TwoDigits(index) + (attaches == 0 ? "" : "." + std::to_string(attaches));
}

std::string SimLocation(int device)
{
    return "sim-" + std::to_string(device);
}

bool SimulatedBackend::SaveFlashFiles(std::string* error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // After a refused start nothing is written: bad settings change nothing.
    if (m_config.flashDir.empty() || !m_startError.empty())
        return true;
    bool saved = true;
    for (size_t i = 0; i < m_devices.size(); ++i) {
        Device& device = *m_devices[i];
        // An untouched device's image is already what the file holds, or
        // erased flash, which a missing file stands for as well.
        const uint64_t changes = device.firmware->FlashChanges();
        if (changes == device.savedFlashChanges)
            continue;
        std::string message;
        if (!device.firmware->SaveFlash(FlashFileOf(m_config.flashDir, static_cast<int>(i)), &message)) {
            if (saved && error)
                *error = message;
            saved = false;
            continue;
        }
        device.savedFlashChanges = changes;
    }
    return saved;
}

void SimulatedBackend::FlushTrace()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_trace)
        std::fflush(m_trace);
}
