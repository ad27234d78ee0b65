#include "GadgetDevice.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

#include "hid/DeviceIdentity.h"
#include "hid/HidIO.h"

namespace {
constexpr int kPollMs = 50;
constexpr uint32_t kEraseMsPerSector = 34;
constexpr int kNodeWaitMs = 5000;

void SleepMs(uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
}  // namespace

GadgetDevice::GadgetDevice(int index, std::unique_ptr<ConfigFsGadget> gadget, uint16_t releaseNumber,
                           const std::string& versionText, const GadgetFaults& faults)
    : m_index(index),
      m_gadget(std::move(gadget)),
      m_firmware(releaseNumber, versionText),
      m_faults(faults),
      m_releaseNumber(releaseNumber)
{
}

GadgetDevice::~GadgetDevice()
{
    CloseNode();
}

void GadgetDevice::Log(const std::string& text) const
{
    std::fprintf(stderr, "kt7-gadget: device %d (%s): %s\n", m_index, m_gadget->Udc().c_str(), text.c_str());
}

bool GadgetDevice::Start(std::string* error)
{
    return m_gadget->Create(kDeviceVendorId, kDeviceProductId, m_releaseNumber, error) &&
           m_gadget->Bind(error) && OpenNode(error);
}

bool GadgetDevice::OpenNode(std::string* error)
{
    // The node appears once the function is bound; give udev-less /dev a moment.
    for (int waited = 0; waited <= kNodeWaitMs; waited += kPollMs) {
        const std::string path = m_gadget->HidgDevicePath();
        if (!path.empty()) {
            m_fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
            if (m_fd >= 0)
                return true;
        }
        SleepMs(kPollMs);
    }
    *error = "the gadget's HID node did not appear";
    return false;
}

void GadgetDevice::CloseNode()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void GadgetDevice::CountReport()
{
    ++m_reports;
    m_lastReportTime = std::chrono::steady_clock::now();
    if (m_reports == m_reportsAtAttach + 1)
        m_firstReportTime = m_lastReportTime;
}

double GadgetDevice::SecondsSinceAttach() const
{
    if (ReportsSinceAttach() < 2)
        return 0.0;
    return std::chrono::duration<double>(m_lastReportTime - m_firstReportTime).count();
}

void GadgetDevice::LeaveBus()
{
    CloseNode();
    std::string error;
    if (!m_gadget->Unbind(&error))
        Log(error);
}

void GadgetDevice::Run(const std::atomic<bool>& stop)
{
    while (!stop.load()) {
        if (m_gone || m_fd < 0) {
            SleepMs(kPollMs);
            continue;
        }
        ServeOnce(kPollMs);
        if (m_faults.unplugAfter != 0 && m_reports >= m_faults.unplugAfter) {
            Log("unplugged after " + std::to_string(m_reports) + " reports");
            LeaveBus();
            m_gone = true;
        } else if (m_firmware.ResetRequested()) {
            ReattachAfterReset(stop);
        }
    }
}

void GadgetDevice::ServeOnce(int timeoutMs)
{
    if (m_faults.stallAfter != 0 && m_reports >= m_faults.stallAfter) {
        // A hung firmware takes nothing more: once f_hid's few receive
        // buffers are full the host's writes are refused on the bus.
        SleepMs(static_cast<uint32_t>(timeoutMs));
        return;
    }
    pollfd entry{m_fd, POLLIN, 0};
    // f_hid takes one input report at a time; offer the next when it can go.
    if (m_firmware.HasReportForHost())
        entry.events |= POLLOUT;
    if (::poll(&entry, 1, timeoutMs) <= 0)
        return;

    if (entry.revents & POLLIN) {
        uint8_t report[kReportSize];
        report[0] = 0;  // the host's report ID, which the wire doesn't carry
        ssize_t got = ::read(m_fd, report + 1, kReportPayloadSize);
        if (got > 0) {
            CountReport();
            // A short report is padded with zeros, as the device's buffer would hold them.
            std::memset(report + 1 + got, 0, kReportPayloadSize - static_cast<size_t>(got));
            m_firmware.OnHostReport(report);
        }
        return;  // the reset check and pending answers come next round
    }
    if (entry.revents & POLLOUT) {
        if (uint32_t sectors = m_firmware.TakeErasedSectors(); sectors != 0 && m_faults.slowErase)
            SleepMs(sectors * kEraseMsPerSector);
        uint8_t payload[kReportPayloadSize];
        if (m_firmware.PopReportForHost(payload)) {
            if (::write(m_fd, payload, sizeof payload) == static_cast<ssize_t>(sizeof payload))
                CountReport();
            else
                Log(std::string("answer lost: ") + std::strerror(errno));
        }
    }
}

void GadgetDevice::ReattachAfterReset(const std::atomic<bool>& stop)
{
    ++m_resets;
    LeaveBus();
    if (m_faults.noReattach) {
        Log("reset; stays detached");
        m_gone = true;
        return;
    }
    for (uint32_t waited = 0; waited < m_faults.reattachMs && !stop.load(); waited += kPollMs)
        SleepMs(kPollMs);
    m_firmware.Reboot();
    std::string error;
    if (!m_gadget->Bind(&error) || !OpenNode(&error)) {
        Log("can't attach again: " + error);
        m_gone = true;
        return;
    }
    m_reportsAtAttach = m_reports;
    Log("reset; attached again");
}
