#pragma once
// Where a device is plugged in, from what the Windows configuration manager
// says of its USB device node. Plain text in, port path out, so that it
// builds and is tested on every system.

#include <string>
#include <string_view>

// True for the instance id of a device on a USB port ("USB\VID_0416&PID_B500\0001A3").
// The HID node above it ("HID\...") is not, nor is one interface of a
// composite device ("USB\VID_0416&PID_B500&MI_00\..."), which sits under the
// device on the port.
bool IsUsbPortDeviceInstanceId(std::string_view instanceId);

// The port path in a device's location paths, a list of NUL-separated
// entries such as "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)#USB(3)": root hub
// 0, root port 2, port 3 of the hub there -> "usb0-2.3". The "usb" keeps it
// apart from Linux's "1-2.3", whose bus numbers count from 1. The first entry
// that reaches a port through a root hub counts; an interface of a composite
// device ("#USBMI(0)") names the port of its device. Empty when none does.
std::string UsbPortPathOfLocationPaths(std::string_view locationPaths);

// The port in a device's location information, "Port_#0003.Hub_#0002"
// (port 3 of hub 2) -> "hub2-3". Hubs are numbered as Windows finds them, so
// this is the second choice, after the location paths. Empty for anything else.
std::string UsbPortOfLocationInfo(std::string_view locationInfo);
