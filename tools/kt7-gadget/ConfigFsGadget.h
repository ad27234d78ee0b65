#pragma once
// One USB gadget in configfs: the device's identity, a single HID function
// with 64-byte input and output reports (no report IDs), and the binding to a
// USB device controller. Bind and Unbind make the host see an attach and a
// detach.

#include <cstdint>
#include <string>
#include <vector>

inline constexpr size_t kGadgetReportLength = 64;

// Vendor-defined page; one 64-byte input and one 64-byte output report.
extern const std::vector<unsigned char> kGadgetReportDescriptor;

class ConfigFsGadget {
public:
    ConfigFsGadget(std::string configFsRoot, std::string name, std::string udc);
    ~ConfigFsGadget();
    ConfigFsGadget(const ConfigFsGadget&) = delete;
    ConfigFsGadget& operator=(const ConfigFsGadget&) = delete;

    // Builds the gadget tree; not yet bound.
    bool Create(uint16_t vendorId, uint16_t productId, uint16_t releaseNumber, std::string* error);
    bool Bind(std::string* error);
    bool Unbind(std::string* error);
    bool IsBound() const { return m_bound; }
    // The gadget-side character device of the HID function, e.g. /dev/hidg0.
    std::string HidgDevicePath() const;
    const std::string& Udc() const { return m_udc; }

private:
    void Remove();

    std::string m_root;   // <configfs>/usb_gadget/<name>
    std::string m_udc;
    bool m_created = false;
    bool m_bound = false;
};

// The USB device controllers present, sorted by name (dummy_udc.0, ...).
std::vector<std::string> ListDeviceControllers();
