#pragma once
// A scripted HID backend for unit tests: a list of devices (path, IDs,
// release number), each with a queue of input payloads to deliver, a record
// of the reports written to it, and switches for open failures, write
// failures and unplugging. Devices are enumerated in the order they were
// added. Thread-safe, so a worker thread may use it while a test inspects it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/HidBackend.h"

class FakeHidBackend final : public HidBackend {
public:
    using Payload = std::vector<uint8_t>;
    using Report = std::vector<uint8_t>;
    // Called for every report written to a device; a returned payload is
    // queued as that device's next input.
    using Responder = std::function<std::optional<Payload>(const Report&)>;

    FakeHidBackend();
    ~FakeHidBackend() override;

    // Adds a device and returns its path.
    std::string AddDevice(const std::string& path, uint16_t vendorId, uint16_t productId, uint16_t release);
    // A device with the updater's vendor and product ID.
    std::string AddMatchingDevice(const std::string& path, uint16_t release = 0x5512);

    void SetOpenFails(const std::string& path, bool fails);
    void SetWriteFails(const std::string& path, bool fails);
    // Makes the device's writes report this count instead of the report length.
    void SetWriteResult(const std::string& path, int count);
    void SetResponder(const std::string& path, Responder responder);
    // Queues one input payload; an empty payload makes that read time out.
    void QueueRead(const std::string& path, Payload payload);
    // Removes the device from the enumeration; its open handles fail from now on.
    void Unplug(const std::string& path);
    // Unplugs the device right after it has accepted this many more writes.
    void UnplugAfterWrites(const std::string& path, int writes);

    std::vector<Report> Written(const std::string& path) const;
    int OpenCount(const std::string& path) const;   // successful opens so far
    int OpenHandles() const;                         // handles not yet destroyed
    int EnumerateCalls() const;
    std::vector<uint32_t> ReadTimeouts(const std::string& path) const;

    std::vector<HidDeviceInfo> Enumerate() override;
    std::unique_ptr<HidDeviceHandle> Open(const std::string& path) override;

    struct State;

private:
    std::shared_ptr<State> m_state;  // shared with open handles, which may outlive the backend
};
