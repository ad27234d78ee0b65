#include "bootloader/BootloaderRefresh.h"

#include "hid/CommandSet.h"
#include "hid/DeviceIdentity.h"
#include "hid/HidCmd.h"
#include "hid/HidCommands.h"
#include "hid/HidIO.h"
#include "hid/Protocol.h"
#include "platform/Diagnostics.h"
#include "platform/Services.h"

namespace {

// Every device must answer a page read before it is asked for its version.
bool ProbeDevices()
{
    CommandPacket packet;
    packet.code = CommandCode(HID_CMD_READ);
    packet.arg1 = 0;
    packet.arg2 = 1;

    CHidIO io;
    int count = io.OpenDevice(kDeviceVendorId, kDeviceProductId);
    if (count == 0) {
        DiagPrintf("Can't Open HID Device\n");
        return false;
    }
    uint8_t report[kReportSize];
    for (int device = 0; device < count; ++device) {
        DiagPrintf("USB HID Device VID[%04x] PID[%04x] Open Success.\n", kDeviceVendorId, kDeviceProductId);
        if (!WriteCommandReport(io, report, packet, device, kTransferTimeoutMs)) {
            DiagPrintf("ERROR: Write HID_CMD_READ failed!\n");
            return false;
        }
        GetClock().Sleep(kProbePauseMs);
        // Only the first report of the page is read; closing drops the rest.
        uint32_t transferred = 0;
        if (!io.ReadReport(report, kReportSize, &transferred, kProbeReadTimeoutMs, device) ||
            PayloadCount(transferred) == 0) {
            DiagPrintf("ERROR: Read Buffer failed!\n");
            return false;
        }
    }
    return true;
}

} // namespace

int UpdateBootloader(const std::function<void()>& beforeRewrite)
{
    if (!ProbeDevices())
        return 0;

    DiagPrintf(" >> NUC501  Update Bootloader <<\n");
    DiagPrintf("\n\n");

    int verdict = kBootloaderVerdictUnknown;
    int answered = CheckBootloaderVersion(&verdict);
    switch (verdict) {
    case kBootloaderVerdictTooOld:
        // A rewrite that failed may have left a half-written boot loader:
        // programming the areas on top of it would only make things worse.
        if (beforeRewrite)
            beforeRewrite();
        if (WriteBootloaderImage() > 0) {
            DiagPrintf("Update bootloader successful!\n");
            return 1;
        }
        return 0;
    case kBootloaderVerdictCurrent:
        return 1;
    default:
        if (answered != 0)
            DiagPrintf("**ERROR:Could not update in bootloader **\n");
        return 0;
    }
}
