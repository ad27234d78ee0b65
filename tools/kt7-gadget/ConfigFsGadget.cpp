#include "ConfigFsGadget.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

#include "SysFiles.h"

const std::vector<unsigned char> kGadgetReportDescriptor = {
    0x06, 0x00, 0xFF,  // usage page: vendor defined
    0x09, 0x01,        // usage 1
    0xA1, 0x01,        // collection: application
    0x15, 0x00,        //   logical minimum 0
    0x26, 0xFF, 0x00,  //   logical maximum 255
    0x75, 0x08,        //   report size 8 bits
    0x95, 0x40,        //   report count 64
    0x09, 0x01,        //   usage 1
    0x81, 0x02,        //   input: data, variable, absolute
    0x95, 0x40,        //   report count 64
    0x09, 0x01,        //   usage 1
    0x91, 0x02,        //   output: data, variable, absolute
    0xC0,              // end collection
};

namespace {
const char kFunction[] = "functions/hid.usb0";
const char kConfig[] = "configs/c.1";

std::string Hex16(uint16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04x", value);
    return text;
}
}  // namespace

ConfigFsGadget::ConfigFsGadget(std::string configFsRoot, std::string name, std::string udc)
    : m_root(std::move(configFsRoot) + "/usb_gadget/" + std::move(name)), m_udc(std::move(udc))
{
}

ConfigFsGadget::~ConfigFsGadget()
{
    Remove();
}

bool ConfigFsGadget::Create(uint16_t vendorId, uint16_t productId, uint16_t releaseNumber, std::string* error)
{
    const std::string function = m_root + "/" + kFunction;
    const std::string config = m_root + "/" + kConfig;
    if (!MakeDirectory(m_root, error))
        return false;
    m_created = true;
    bool ok = WriteAttribute(m_root + "/idVendor", Hex16(vendorId), error) &&
              WriteAttribute(m_root + "/idProduct", Hex16(productId), error) &&
              WriteAttribute(m_root + "/bcdDevice", Hex16(releaseNumber), error) &&
              MakeDirectory(m_root + "/strings/0x409", error) &&
              WriteAttribute(m_root + "/strings/0x409/manufacturer", "kt7", error) &&
              WriteAttribute(m_root + "/strings/0x409/product", "kt7 simulated device", error) &&
              MakeDirectory(config, error) &&
              MakeDirectory(function, error) &&
              WriteAttribute(function + "/protocol", "0", error) &&
              WriteAttribute(function + "/subclass", "0", error) &&
              WriteAttribute(function + "/report_length", std::to_string(kGadgetReportLength), error) &&
              WriteAttributeBytes(function + "/report_desc", kGadgetReportDescriptor.data(),
                                  kGadgetReportDescriptor.size(), error);
    if (!ok)
        return false;
    if (::symlink(function.c_str(), (config + "/hid.usb0").c_str()) != 0) {
        *error = "can't link the HID function into " + config;
        return false;
    }
    return true;
}

bool ConfigFsGadget::Bind(std::string* error)
{
    if (!WriteAttribute(m_root + "/UDC", m_udc, error))
        return false;
    m_bound = true;
    return true;
}

bool ConfigFsGadget::Unbind(std::string* error)
{
    // A newline alone detaches the gadget from its controller.
    if (!WriteAttribute(m_root + "/UDC", "\n", error))
        return false;
    m_bound = false;
    return true;
}

std::string ConfigFsGadget::HidgDevicePath() const
{
    // The function's "major:minor" names the node under /sys/dev/char.
    const std::string number = ReadAttribute(m_root + "/" + kFunction + "/dev");
    if (number.empty())
        return {};
    const std::string uevent = "/sys/dev/char/" + number + "/uevent";
    FILE* file = std::fopen(uevent.c_str(), "r");
    if (!file)
        return {};
    char line[256];
    std::string path;
    while (std::fgets(line, sizeof line, file)) {
        std::string text(line);
        if (text.rfind("DEVNAME=", 0) == 0) {
            path = "/dev/" + text.substr(8);
            while (!path.empty() && (path.back() == '\n' || path.back() == '\r'))
                path.pop_back();
        }
    }
    std::fclose(file);
    return path;
}

void ConfigFsGadget::Remove()
{
    if (!m_created)
        return;
    std::string ignored;
    if (m_bound)
        Unbind(&ignored);
    ::unlink((m_root + "/" + kConfig + "/hid.usb0").c_str());
    ::rmdir((m_root + "/strings/0x409").c_str());
    ::rmdir((m_root + "/" + kConfig).c_str());
    ::rmdir((m_root + "/" + kFunction).c_str());
    ::rmdir(m_root.c_str());
    m_created = false;
}

std::vector<std::string> ListDeviceControllers()
{
    // dummy_udc.2 before dummy_udc.10: shorter names first.
    std::vector<std::string> names = ListDirectory("/sys/class/udc");
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
    return names;
}
