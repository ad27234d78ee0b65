#include "backends/UdevLocation.h"

// Windows has no udev and no hidraw nodes. The port could be read from the
// device's location path (cfgmgr32); until then the HID path, which Windows
// keeps stable per port, names the device.
std::string UsbLocationOfHidraw(const std::string&)
{
    return {};
}
