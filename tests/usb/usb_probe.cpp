// kt7-usb-probe: a guest-side check of the hidapi backend against gadget
// devices, without the engine. Lists the devices, asks each for its
// boot-loader version, writes a marked page into every device, resets them and
// waits until all are back. Prints one "probe:" line per finding; exit 0 when
// everything held.
//
//   kt7-usb-probe EXPECTED_DEVICES MARK_PAGE

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "backends/HidapiBackend.h"
#include "hid/DeviceIdentity.h"
#include "hid/DeviceSet.h"
#include "hid/HidIO.h"
#include "hid/Protocol.h"
#include "hid/ReleaseProbe.h"
#include "platform/FlashGeometry.h"
#include "platform/Clock.h"
#include "platform/Diagnostics.h"

namespace {

// Asks device 0 for one page, reads only the first of its four answers and
// closes, as the boot-loader probe does; then asks for the version in a new
// session. True when the version answer, not a leftover page report, arrived.
bool VersionAfterUnreadAnswers(DeviceSet& devices)
{
    uint8_t report[kReportSize];
    {
        CHidIO io(devices.Backend());
        if (io.OpenDevice(kDeviceVendorId, kDeviceProductId) == 0)
            return false;
        BuildCommandReport(CommandPacket{devices.CommandCode(HID_CMD_READ), 0, 1}, report);
        if (!io.WriteReport(report, kReportSize, nullptr, 1000, 0) || !io.ReadReport(report, kReportSize, nullptr, 1000, 0))
            return false;
    }
    CHidIO io(devices.Backend());
    if (io.OpenDevice(kDeviceVendorId, kDeviceProductId) == 0)
        return false;
    BuildCommandReport(CommandPacket{HID_CMD_VERSION, 0, 0}, report);
    if (!io.WriteReport(report, kReportSize, nullptr, 1000, 0) || !io.ReadReport(report, kReportSize, nullptr, 1000, 0))
        return false;
    return report[1] == 'A' || report[1] == 'B';
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: kt7-usb-probe EXPECTED_DEVICES MARK_PAGE\n");
        return 2;
    }
    const int expected = std::atoi(argv[1]);
    const uint32_t markPage = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 0));

    NullDiagnostics log;
    SteadyClock clock;
    HidapiBackend backend(log);
    DeviceSet devices(backend, clock, log);
    bool ok = true;

    int matching = 0;
    for (const HidDeviceInfo& info : backend.Enumerate()) {
        std::printf("probe: device %s %04x:%04x release %04x\n", info.path.c_str(), info.vendorId, info.productId,
                    info.releaseNumber);
        matching += info.vendorId == kDeviceVendorId && info.productId == kDeviceProductId;
    }
    if (matching != expected) {
        std::printf("probe: FAIL %d matching devices, expected %d\n", matching, expected);
        ok = false;
    }

    // Counted as a run counts them: the operations act on exactly these.
    devices.IsDevicePresent();
    const ReleaseProbe probe = ProbeDeviceRelease(backend, clock);
    devices.SelectCommandSet(probe.deviceSpecific);
    std::printf("probe: release text '%s', command offset 0x%02x\n", probe.releaseText, devices.m_cmdCodeOffset);

    int verdict = 0;
    const int answered = devices.CheckBootloaderVersion(&verdict);
    std::printf("probe: version answered %d, verdict %d\n", answered, verdict);
    ok = ok && answered == 64;

    std::vector<uint8_t> page(kPageSize);
    for (uint32_t i = 0; i < kPageSize; ++i)
        page[i] = static_cast<uint8_t>(i ^ 0x5A);
    const uint32_t sector = markPage / kPagesPerSector;
    const int erased = devices.EraseSectors(sector, 1);
    const int written = devices.WritePages(page.data(), markPage, 1);
    std::printf("probe: erase %d, write %d\n", erased, written);
    ok = ok && erased == 1 && written == static_cast<int>(kPageSize);

    int stale = 0;
    const int rounds = 5;
    for (int round = 0; round < rounds; ++round)
        stale += !VersionAfterUnreadAnswers(devices);
    std::printf("probe: version answer after unread answers: %d of %d wrong\n", stale, rounds);
    ok = ok && stale == 0;

    ok = devices.IsDevicePresent() && ok;
    const int before = devices.m_deviceCount;
    const auto start = std::chrono::steady_clock::now();
    const int reset = devices.SendReset();
    bool back = false;
    for (int attempt = 0; attempt < 15 && !back; ++attempt) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        back = devices.IsDevicePresent() && devices.m_deviceCount == before;
    }
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("probe: reset %d, %d device(s) back: %s after %.1f s\n", reset, before, back ? "yes" : "no", seconds);
    ok = ok && reset == 0 && back;

    std::printf("probe: %s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
