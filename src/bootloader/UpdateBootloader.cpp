#include "bootloader/BootloaderRefresh.h"

#include "hid/DeviceIdentity.h"
#include "hid/DeviceSet.h"
#include "hid/HidCmd.h"
#include "hid/HidIO.h"
#include "hid/Protocol.h"
#include "platform/Diagnostics.h"

namespace {

bool ProbeDevices(DeviceSet& devices)
{
    const char operation[] = "probe before the boot-loader check";
    CommandPacket packet;
    packet.code = devices.CommandCode(HID_CMD_READ);
    packet.arg1 = 0;
    packet.arg2 = 1;

    CHidIO io(devices.Backend());
    int count = io.OpenDevice(kDeviceVendorId, kDeviceProductId);
    if (count == 0)
        DiagPrintf(devices.Log(), "Can't Open HID Device\n");
    if (!devices.HoldsCount(count, operation))
        return false;
    uint8_t report[kReportSize];
    for (int device = 0; device < count; ++device) {
        DiagPrintf(devices.Log(), "USB HID Device VID[%04x] PID[%04x] Open Success.\n", kDeviceVendorId,
                   kDeviceProductId);
        if (!WriteCommandReport(io, report, packet, device, kTransferTimeoutMs)) {
            DiagPrintf(devices.Log(), "ERROR: Write HID_CMD_READ failed!\n");
            devices.RecordTransferFailure(io, device, operation, "the read command", false, kTransferTimeoutMs);
            return false;
        }
        devices.GetClock().Sleep(kProbePauseMs);
        // Only the first report of the page is read; closing drops the rest.
        uint32_t transferred = 0;
        if (!io.ReadReport(report, kReportSize, &transferred, kProbeReadTimeoutMs, device) ||
            PayloadCount(transferred) == 0) {
            DiagPrintf(devices.Log(), "ERROR: Read Buffer failed!\n");
            devices.RecordTransferFailure(io, device, operation, "the read", true, kProbeReadTimeoutMs);
            return false;
        }
    }
    return true;
}

} // namespace

int UpdateBootloader(DeviceSet& devices, const std::string& imagePath, const std::function<void()>& beforeRewrite)
{
    if (!ProbeDevices(devices))
        return 0;

    DiagPrintf(devices.Log(), " >> NUC501  Update Bootloader <<\n");
    DiagPrintf(devices.Log(), "\n\n");

    int verdict = kBootloaderVerdictUnknown;
    int answered = devices.CheckBootloaderVersion(&verdict);
    switch (verdict) {
    case kBootloaderVerdictTooOld:
        // A rewrite that failed may have left a half-written boot loader:
        // programming the areas on top of it would only make things worse.
        if (beforeRewrite)
            beforeRewrite();
        DiagPrintf(devices.Log(), "Boot loader too old: rewriting it from %s\n", imagePath.c_str());
        if (WriteBootloaderImage(devices, imagePath) > 0) {
            DiagPrintf(devices.Log(), "Update bootloader successful!\n");
            return 1;
        }
        return 0;
    case kBootloaderVerdictCurrent:
        return 1;
    default:
        if (answered != 0) {
            DiagPrintf(devices.Log(), "**ERROR:Could not update in bootloader **\n");
            devices.RecordFailure(DeviceFailure{"boot-loader version query", -1, "", FailureCause::Unrecognised,
                                                "no device gave a version answer the updater understands"});
        }
        return 0;
    }
}
