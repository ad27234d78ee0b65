#pragma once
// Real HID devices through hidapi (hidraw on Linux). Devices are listed in
// path order, once per path, so indices are stable between enumerations.

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/Diagnostics.h"
#include "platform/HidBackend.h"

class HidapiBackend final : public HidBackend {
public:
    // A device this user may not open is noted in `log`, which must outlive
    // the backend.
    explicit HidapiBackend(DiagnosticsSink& log);

    std::vector<HidDeviceInfo> Enumerate() override;
    // A failure for lack of permission is reported once per path, naming the
    // udev rule that grants access.
    std::unique_ptr<HidDeviceHandle> Open(const std::string& path) override;

private:
    DiagnosticsSink& m_log;
    bool m_initialised = false;
    std::mutex m_mutex;
    std::set<std::string> m_deniedPaths;
};
