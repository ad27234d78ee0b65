#include <gtest/gtest.h>

#include <string>

#include "backends/WindowsUsbLocation.h"

namespace {

using namespace std::string_literals;

TEST(WindowsUsbLocation, PortPathFromLocationPaths)
{
    struct Case {
        const char* what;
        std::string paths; // NUL-separated, as the system hands them out
        const char* port;
    };
    const Case cases[] = {
        {"on a root port", "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)", "usb0-2"},
        {"behind a hub", "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)#USB(3)", "usb0-2.3"},
        {"hubs three deep, second root hub, numbers of two digits",
         "PCIROOT(0)#PCI(0801)#PCI(0003)#USBROOT(1)#USB(10)#USB(4)#USB(11)", "usb1-10.4.11"},
        {"leading zeros", "PCIROOT(0)#USBROOT(00)#USB(002)", "usb0-2"},
        {"an interface of a composite device names its device's port",
         "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)#USB(3)#USBMI(0)", "usb0-2.3"},
        {"the ACPI entry says nothing of USB; the next one counts",
         "ACPI(_SB_)#ACPI(PCI0)#ACPI(XHC_)#ACPI(RHUB)#ACPI(HS02)\0PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)\0\0"s,
         "usb0-2"},
        {"the first entry with a port wins",
         "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(5)\0PCIROOT(0)#PCI(1400)#USBROOT(1)#USB(6)\0\0"s, "usb0-5"},
        {"the root hub itself is not a port", "PCIROOT(0)#PCI(1400)#USBROOT(0)", ""},
        {"no root hub", "PCIROOT(0)#PCI(1400)#USB(2)#USB(3)", ""},
        {"no USB at all (Bluetooth, a PCI card)", "PCIROOT(0)#PCI(1C00)#PCI(0000)\0ACPI(_SB_)#ACPI(PCI0)\0\0"s, ""},
        {"something else among the ports", "PCIROOT(0)#USBROOT(0)#USB(2)#PCI(0000)#USB(3)", ""},
        {"a port after an interface", "PCIROOT(0)#USBROOT(0)#USB(2)#USBMI(0)#USB(3)", ""},
        {"an interface without a port", "PCIROOT(0)#USBROOT(0)#USBMI(0)", ""},
        {"a port that is no number", "PCIROOT(0)#USBROOT(0)#USB(x)", ""},
        {"an empty port", "PCIROOT(0)#USBROOT(0)#USB()", ""},
        {"a port number too long to be one", "PCIROOT(0)#USBROOT(0)#USB(99999999999)", ""},
        {"an unclosed bracket", "PCIROOT(0)#USBROOT(0)#USB(2", ""},
        {"an empty segment", "PCIROOT(0)#USBROOT(0)##USB(2)", ""},
        {"garbage", "#)(#\0\0#"s, ""},
        {"only separators", "\0\0"s, ""},
        {"empty", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UsbPortPathOfLocationPaths(c.paths), c.port) << c.what;
}

TEST(WindowsUsbLocation, PortFromLocationInfo)
{
    struct Case {
        const char* what;
        const char* info;
        const char* port;
    };
    const Case cases[] = {
        {"as Windows writes it", "Port_#0003.Hub_#0002", "hub2-3"},
        {"numbers of two digits", "Port_#0012.Hub_#0010", "hub10-12"},
        {"without leading zeros", "Port_#3.Hub_#2", "hub2-3"},
        {"hub and port swapped", "Hub_#0002.Port_#0003", ""},
        {"no hub", "Port_#0003", ""},
        {"something after the hub", "Port_#0003.Hub_#0002.x", ""},
        {"not a number", "Port_#00x3.Hub_#0002", ""},
        {"the kind other buses give", "0000.0014.0000.002.003.000.000.000.000", ""},
        {"empty", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UsbPortOfLocationInfo(c.info), c.port) << c.what;
}

TEST(WindowsUsbLocation, TellsTheDeviceOnTheUsbPort)
{
    struct Case {
        const char* id;
        bool onPort;
    };
    const Case cases[] = {
        {"USB\\VID_0416&PID_B500\\0001A3", true},
        {"USB\\VID_0416&PID_B500\\5&2B1E1D3A&0&3", true},
        {"usb\\vid_0416&pid_b500\\0001a3", true},
        {"USB\\VID_0416&PID_B500&MI_00\\6&1A2B3C4D&0&0000", false},
        {"USB\\VID_0416&PID_B500&mi_01\\6&1A2B3C4D&0&0001", false},
        {"USB\\ROOT_HUB30\\4&2E2B1E1A&0&0", true},
        {"HID\\VID_0416&PID_B500\\7&3A4B5C6D&0&0000", false},
        {"USBSTOR\\DISK&VEN_X\\0001", false},
        {"PCI\\VEN_8086&DEV_A36D\\3&11583659&0&A0", false},
        {"USB", false},
        {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsUsbPortDeviceInstanceId(c.id), c.onPort) << c.id;
}

} // namespace
