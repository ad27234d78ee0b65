#include "support/FakeHidBackend.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <stdexcept>

#include "hid/DeviceIdentity.h"

struct FakeHidBackend::State {
    struct Device {
        HidDeviceInfo info;
        bool openFails = false;
        bool writeFails = false;
        std::optional<int> writeResult;
        bool unplugged = false;
        int writesBeforeUnplug = -1;  // -1: never
        int openCount = 0;
        Responder responder;
        std::deque<Payload> reads;
        std::vector<Report> written;
        std::vector<uint32_t> readTimeouts;
    };

    std::mutex mutex;
    std::vector<std::shared_ptr<Device>> devices;
    int enumerateCalls = 0;
    int openHandles = 0;

    std::shared_ptr<Device> Find(const std::string& path)
    {
        for (auto& device : devices)
            if (device->info.path == path)
                return device;
        throw std::invalid_argument("FakeHidBackend: no device " + path);
    }
};

namespace {

class FakeHandle final : public HidDeviceHandle {
public:
    using State = FakeHidBackend::State;

    FakeHandle(std::shared_ptr<State> state, std::shared_ptr<State::Device> device)
        : m_state(std::move(state)), m_device(std::move(device))
    {
    }

    ~FakeHandle() override
    {
        std::lock_guard lock(m_state->mutex);
        --m_state->openHandles;
    }

    int Write(const uint8_t* report, size_t length, uint32_t) override
    {
        FakeHidBackend::Responder responder;
        FakeHidBackend::Report copy(report, report + length);
        int result = static_cast<int>(length);
        {
            std::lock_guard lock(m_state->mutex);
            if (m_device->unplugged || m_device->writeFails)
                return -1;
            m_device->written.push_back(copy);
            if (m_device->writesBeforeUnplug > 0 && --m_device->writesBeforeUnplug == 0)
                m_device->unplugged = true;
            responder = m_device->responder;
            result = m_device->writeResult.value_or(result);
        }
        // Outside the lock, so a responder may call back into the backend.
        if (responder) {
            std::optional<FakeHidBackend::Payload> answer = responder(copy);
            if (answer) {
                std::lock_guard lock(m_state->mutex);
                m_device->reads.push_back(std::move(*answer));
            }
        }
        return result;
    }

    int Read(uint8_t* payload, size_t capacity, uint32_t timeoutMs) override
    {
        std::lock_guard lock(m_state->mutex);
        m_device->readTimeouts.push_back(timeoutMs);
        if (m_device->unplugged)
            return -1;
        if (m_device->reads.empty())
            return 0;
        FakeHidBackend::Payload next = std::move(m_device->reads.front());
        m_device->reads.pop_front();
        size_t length = std::min(capacity, next.size());
        if (length > 0)
            std::memcpy(payload, next.data(), length);
        return static_cast<int>(length);
    }

private:
    std::shared_ptr<State> m_state;
    std::shared_ptr<State::Device> m_device;
};

} // namespace

FakeHidBackend::FakeHidBackend() : m_state(std::make_shared<State>()) {}

FakeHidBackend::~FakeHidBackend() = default;

std::string FakeHidBackend::AddDevice(const std::string& path, uint16_t vendorId, uint16_t productId, uint16_t release)
{
    auto device = std::make_shared<State::Device>();
    // A fake device is plugged in where its path says.
    device->info = HidDeviceInfo{path, vendorId, productId, release, path, ""};
    std::lock_guard lock(m_state->mutex);
    m_state->devices.push_back(std::move(device));
    return path;
}

std::string FakeHidBackend::AddMatchingDevice(const std::string& path, uint16_t release)
{
    return AddDevice(path, kDeviceVendorId, kDeviceProductId, release);
}

void FakeHidBackend::SetOpenFails(const std::string& path, bool fails)
{
    std::lock_guard lock(m_state->mutex);
    m_state->Find(path)->openFails = fails;
}

void FakeHidBackend::SetWriteFails(const std::string& path, bool fails)
{
    std::lock_guard lock(m_state->mutex);
    m_state->Find(path)->writeFails = fails;
}

void FakeHidBackend::SetWriteResult(const std::string& path, int count)
{
    std::lock_guard lock(m_state->mutex);
    m_state->Find(path)->writeResult = count;
}

void FakeHidBackend::SetResponder(const std::string& path, Responder responder)
{
    std::lock_guard lock(m_state->mutex);
    m_state->Find(path)->responder = std::move(responder);
}

void FakeHidBackend::QueueRead(const std::string& path, Payload payload)
{
    std::lock_guard lock(m_state->mutex);
    m_state->Find(path)->reads.push_back(std::move(payload));
}

void FakeHidBackend::Unplug(const std::string& path)
{
    std::lock_guard lock(m_state->mutex);
    m_state->Find(path)->unplugged = true;
}

void FakeHidBackend::UnplugAfterWrites(const std::string& path, int writes)
{
    std::lock_guard lock(m_state->mutex);
    auto device = m_state->Find(path);
    if (writes <= 0)
        device->unplugged = true;
    else
        device->writesBeforeUnplug = writes;
}

std::vector<FakeHidBackend::Report> FakeHidBackend::Written(const std::string& path) const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->Find(path)->written;
}

int FakeHidBackend::OpenCount(const std::string& path) const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->Find(path)->openCount;
}

int FakeHidBackend::OpenHandles() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->openHandles;
}

int FakeHidBackend::EnumerateCalls() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->enumerateCalls;
}

std::vector<uint32_t> FakeHidBackend::ReadTimeouts(const std::string& path) const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->Find(path)->readTimeouts;
}

std::vector<HidDeviceInfo> FakeHidBackend::Enumerate()
{
    std::lock_guard lock(m_state->mutex);
    ++m_state->enumerateCalls;
    std::vector<HidDeviceInfo> present;
    for (const auto& device : m_state->devices)
        if (!device->unplugged)
            present.push_back(device->info);
    return present;
}

std::unique_ptr<HidDeviceHandle> FakeHidBackend::Open(const std::string& path)
{
    std::lock_guard lock(m_state->mutex);
    for (auto& device : m_state->devices) {
        if (device->info.path != path)
            continue;
        if (device->unplugged || device->openFails)
            return nullptr;
        ++device->openCount;
        ++m_state->openHandles;
        return std::make_unique<FakeHandle>(m_state, device);
    }
    return nullptr;
}
