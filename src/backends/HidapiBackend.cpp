#include "backends/HidapiBackend.h"

#include <algorithm>
#include <mutex>

#include <hidapi.h>

#include "platform/DeviceNode.h"
#include "hid/DevicePermission.h"
#include "backends/SlicedRead.h"
#include "backends/UdevLocation.h"
#include "backends/WrittenReport.h"
#include "platform/Diagnostics.h"

namespace {

bool InitialiseOnce()
{
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = hid_init() == 0; });
    return ok;
}

// hidapi's wide string as UTF-8.
std::string Utf8Of(const wchar_t* text)
{
    std::string utf8;
    for (; text && *text; ++text) {
        const auto c = static_cast<uint32_t>(*text);
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else if (c < 0x800) {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            utf8 += static_cast<char>(0xE0 | (c >> 12));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            utf8 += static_cast<char>(0xF0 | (c >> 18));
            utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return utf8;
}

class HidapiHandle final : public HidDeviceHandle {
public:
    HidapiHandle(hid_device* device, std::string path) : m_device(device), m_path(std::move(path)) {}
    ~HidapiHandle() override { hid_close(m_device); }
    HidapiHandle(const HidapiHandle&) = delete;
    HidapiHandle& operator=(const HidapiHandle&) = delete;

    int Write(const uint8_t* report, size_t length, uint32_t) override
    {
        // Report ID first; hidraw sends the rest as the output report.
        return WrittenReportBytes(hid_write(m_device, report, length), length);
    }

    int Read(uint8_t* payload, size_t capacity, uint32_t timeoutMs) override
    {
        return ReadInSlices(
            [&](uint32_t sliceMs) {
                return hid_read_timeout(m_device, payload, capacity, static_cast<int>(sliceMs));
            },
            [&] { return DeviceNodeExists(m_path); }, timeoutMs);
    }

private:
    hid_device* m_device;
    std::string m_path;
};

} // namespace

HidapiBackend::HidapiBackend(DiagnosticsSink& log) : m_log(log), m_initialised(InitialiseOnce()) {}

std::vector<HidDeviceInfo> HidapiBackend::Enumerate()
{
    std::vector<HidDeviceInfo> devices;
    if (!m_initialised)
        return devices;
    hid_device_info* list = hid_enumerate(0, 0);
    for (hid_device_info* info = list; info; info = info->next) {
        if (!info->path)
            continue;
        devices.push_back(HidDeviceInfo{info->path, info->vendor_id, info->product_id, info->release_number, "",
                                        Utf8Of(info->serial_number)});
    }
    hid_free_enumeration(list);

    // One entry per node: a device with several top-level collections is
    // listed once per collection, but it is still one device.
    std::stable_sort(devices.begin(), devices.end(),
                     [](const HidDeviceInfo& a, const HidDeviceInfo& b) { return a.path < b.path; });
    devices.erase(std::unique(devices.begin(), devices.end(),
                              [](const HidDeviceInfo& a, const HidDeviceInfo& b) { return a.path == b.path; }),
                  devices.end());
    // A device that is not on USB has no port; its node is the best name it has.
    for (HidDeviceInfo& device : devices) {
        device.location = UsbLocationOfHidraw(device.path);
        if (device.location.empty())
            device.location = device.path;
    }
    return devices;
}

std::unique_ptr<HidDeviceHandle> HidapiBackend::Open(const std::string& path)
{
    if (!m_initialised)
        return nullptr;
    hid_device* device = hid_open_path(path.c_str());
    if (device)
        return std::make_unique<HidapiHandle>(device, path);
    if (IsAccessDenied(path)) {
        std::lock_guard lock(m_mutex);
        if (m_deniedPaths.insert(path).second)
            m_log.Write(AccessDeniedLine(path));
    }
    return nullptr;
}
