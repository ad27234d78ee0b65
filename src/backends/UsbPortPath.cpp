#include "backends/UsbPortPath.h"

namespace {

bool IsNumber(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// BUS-PORT[.PORT...]
bool IsPortPath(std::string_view name)
{
    const size_t dash = name.find('-');
    if (dash == std::string_view::npos || !IsNumber(name.substr(0, dash)))
        return false;
    std::string_view ports = name.substr(dash + 1);
    for (;;) {
        const size_t dot = ports.find('.');
        if (!IsNumber(ports.substr(0, dot)))
            return false;
        if (dot == std::string_view::npos)
            return true;
        ports.remove_prefix(dot + 1);
    }
}

} // namespace

std::string UsbPortPathOf(std::string_view devpath)
{
    while (!devpath.empty()) {
        const size_t slash = devpath.rfind('/');
        const std::string_view name = slash == std::string_view::npos ? devpath : devpath.substr(slash + 1);
        if (IsPortPath(name))
            return std::string(name);
        devpath = slash == std::string_view::npos ? std::string_view() : devpath.substr(0, slash);
    }
    return {};
}
