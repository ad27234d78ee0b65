// A package through a whole update against one or two instant simulated
// devices on a virtual clock, with an optional fault, after an optional
// boot-loader refresh. The loader refuses exactly the packages the update's
// checks refuse; the run must end (done flag raised, bounded virtual time), a
// package the checks refuse must never reach a device's flash even when it is
// installed all the same, no page is ever written into unerased flash, and an
// update reported as successful must have left every device with every byte
// of the package's areas and no firmware fault. A boot-loader refresh that
// succeeds left the image on every device counted at the start; one whose
// read-back still differs after the second write fails, and the update does
// not start.
//
// Input: an 8-byte set-up, then the package file.
//   0     flags: bit 0 two devices; bit 1 inject the fault; bit 2 the second
//         device uses the other command set; bit 3 the boot loader is old
//         and is refreshed first; bit 4 the device the fault hits (byte 4)
//         keeps a boot-loader page wrong (page: bytes 5-6 modulo the image's
//         pages), once, or with bit 5 twice
//   1-2   release number of the first device (little-endian)
//   3     fault: 0 unplug, 1 stall, 2 no re-attach after the reset
//   4     device the fault hits (low bit)
//   5-6   reports after which an unplug or stall strikes
//   7     re-attach delay after a reset, in units of 100 ms

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "bootloader/BootloaderRefresh.h"
#include "engine/ControlBlocks.h"
#include "engine/ProgressPage.h"
#include "engine/UpdateJob.h"
#include "engine/UpdateRun.h"
#include "hid/DeviceKind.h"
#include "hid/DeviceSet.h"
#include "hid/Protocol.h"
#include "hid/ReleaseProbe.h"
#include "package/AreaLayout.h"
#include "package/PackageChecks.h"
#include "package/PackageParser.h"
#include "platform/FlashGeometry.h"
#include "platform/Prompter.h"
#include "sim/SimulatedBackend.h"

namespace {

// Small packages keep a whole update fast.
constexpr size_t kMaxPackageBytes = 64 * 1024;
constexpr uint64_t kStartMs = 0xFFFF0000u;  // the tick counter wraps during the run
// Re-attach wait, two control blocks, stalls at 5 s per transfer: far below this.
constexpr uint64_t kMaxRunMs = 30ull * 60 * 1000;
constexpr char kSuccessPrefix[] = "升级成功";

class QuietPage final : public ProgressPage {
public:
    explicit QuietPage(Prompter& prompter) : m_prompter(prompter) {}
    void ShowMessage(const std::string& text, const DeviceFailure*) override { m_prompter.ShowMessage(text); }
    void OnProgress(const ProgressEvent& event) override
    {
        FUZZ_CHECK(event.percent >= 0 && event.percent <= 100, "the progress bar left 0..100");
        if (event.change == ProgressEvent::Change::Status)
            status = event.statusText;
    }
    std::string status;

private:
    Prompter& m_prompter;
};

struct Setup {
    bool twoDevices = false;
    bool fault = false;
    bool mixedSets = false;
    uint16_t release = 0;
    uint8_t faultKind = 0;
    int faultDevice = 0;
    uint16_t faultAfter = 0;
    uint32_t reattachMs = 0;
    bool oldBootloader = false;
    bool badBootPage = false;
    bool badBootPageTwice = false;
};

// 12 pages, the last one partial.
constexpr size_t kBootloaderImageLength = 3000;
constexpr uint32_t kBootloaderImagePages = (kBootloaderImageLength + kPageSize - 1) / kPageSize;

// The boot-loader image the refresh reads, in a folder of this process's own.
class BootloaderImageFolder {
public:
    BootloaderImageFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kt7-fuzz-XXXXXX").string();
        FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr, "cannot make a folder for the boot-loader image");
        m_path = pattern + "/";
        m_padded.assign(kBootloaderImagePages * kPageSize, 0xFF);
        uint32_t state = 7;
        for (size_t i = 0; i < kBootloaderImageLength; ++i) {
            state = state * 1103515245u + 12345u;
            m_padded[i] = static_cast<uint8_t>(state >> 16);
        }
        std::FILE* file = std::fopen((m_path + kBootloaderImageName).c_str(), "wb");
        FUZZ_CHECK(file && std::fwrite(m_padded.data(), 1, kBootloaderImageLength, file) == kBootloaderImageLength &&
                       std::fclose(file) == 0,
                   "cannot write the boot-loader image");
    }
    ~BootloaderImageFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& Path() const { return m_path; }
    // The image as a device holds it: padded with 0xFF to whole pages.
    const std::vector<uint8_t>& Padded() const { return m_padded; }

private:
    std::string m_path;
    std::vector<uint8_t> m_padded;
};

const BootloaderImageFolder& ImageFolder()
{
    static const BootloaderImageFolder folder;
    return folder;
}

Setup ReadSetup(FuzzInput& input)
{
    Setup s;
    const uint8_t flags = input.Byte();
    s.twoDevices = flags & 1;
    s.fault = flags & 2;
    s.mixedSets = flags & 4;
    s.oldBootloader = flags & 8;
    s.badBootPage = flags & 16;
    s.badBootPageTwice = flags & 32;
    s.release = input.Le16();
    s.faultKind = input.Byte() % 3;
    s.faultDevice = input.Byte() & 1;
    s.faultAfter = input.Le16();
    s.reattachMs = input.Byte() * 100u;
    return s;
}

bool IsGeneric(uint16_t release)
{
    return release == kGenericRelease || release == kGenericReleaseAlt;
}

SimConfig ConfigFor(const Setup& s)
{
    SimConfig config;
    config.devices = s.twoDevices ? 2 : 1;
    config.releases = {s.release};
    if (s.twoDevices && s.mixedSets)
        config.releases.push_back(IsGeneric(s.release) ? 0x0123 : kGenericReleaseAlt);
    config.timing = SimTiming::Instant;
    config.reattachMs = s.reattachMs;
    if (s.oldBootloader)
        config.versionText = "A107";
    if (s.fault) {
        const SimReportFault fault{s.faultDevice % config.devices, s.faultAfter};
        if (s.faultKind == 0)
            config.unplug.push_back(fault);
        else if (s.faultKind == 1)
            config.stall.push_back(fault);
        else
            config.noReattach.push_back(fault.device);
    }
    return config;
}

// An area is written from the page its address lies in, up to the end of the
// page its last byte lies in: the expected bytes run on into the buffer's
// slack (0xFF) past the payload.
void ExpectFlash(const SimFirmware& firmware, const AreaLayout& area, const uint8_t* expected, const char* reason)
{
    std::vector<uint8_t> actual(uint64_t(area.pageCount) * kPageSize);
    firmware.ReadFlash(area.firstPage * kPageSize, actual.data(), actual.size());
    FUZZ_CHECK(std::memcmp(actual.data(), expected, actual.size()) == 0, reason);
}

// What a successful update must have left on a device.
void CheckProgrammedDevice(const SimFirmware& firmware, const LoadedPackage& p)
{
    FUZZ_CHECK(firmware.Faults().empty(), "the update succeeded although the device recorded a fault");
    FUZZ_CHECK(firmware.EndCount() >= 1, "the update succeeded without the end command");
    FUZZ_CHECK(firmware.HasAreaTable(), "the update succeeded without the area table");
    const PackageHeader& h = p.header;
    const PackageLayout layout = LayoutOf(h);
    if (layout.map.present)
        ExpectFlash(firmware, layout.map, p.mapImage.get(), "the map area in flash differs from the map image");
    if (layout.voice.present)
        ExpectFlash(firmware, layout.voice, p.data.get() + h.voiceOffset, "the voice area in flash differs from the package");
    ExpectFlash(firmware, layout.main, p.data.get() + h.mainOffset, "the main program in flash differs from the package");
    uint8_t descriptor[8];
    firmware.ReadFlash(kDescriptorPage * kPageSize, descriptor, sizeof descriptor);
    FUZZ_CHECK(LoadLe32(descriptor) == PROGRAM_DESCRIPTOR_SIGNATURE, "no program descriptor block after success");
}

}  // namespace

int FuzzUpdateRun(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const Setup setup = ReadSetup(input);
    size_t fileSize = 0;
    const uint8_t* file = input.Rest(&fileSize);
    if (fileSize > kMaxPackageBytes)
        return 0;

    // Every input is a new run, made as the front ends make theirs.
    VirtualClock clock(kStartMs);
    DiscardingDiagnostics diagnostics;
    RecordingPrompter prompter;
    SimulatedBackend backend(ConfigFor(setup), clock);
    DeviceSet devices(backend, clock, diagnostics);
    // Counted when the user goes on, before any command: the run must act on
    // exactly these devices.
    devices.IsDevicePresent();
    std::vector<bool> counted(backend.DeviceCount());
    for (int d = 0; d < backend.DeviceCount(); ++d)
        counted[d] = backend.IsAttached(d);

    // The loader's part: it refuses every package the update's checks
    // refuse. One refused by its own earlier checks never gets to an update;
    // one refused by the update's checks is whole, and is installed all the
    // same so that the run's own checks are tried on it too.
    const MapRandomBlock random = MakeMapRandomBlock(clock.TickCount());
    auto package = std::make_shared<LoadedPackage>();
    LoadedPackage reference;
    const char* loadFailure = ParsePackageFile(file, fileSize, random, package.get());
    ParsePackageFile(file, fileSize, random, &reference);
    const std::string verdict = CheckPackage(reference.data.get(), reference.length, reference.header);
    if (loadFailure && verdict != loadFailure)
        return 0;
    FUZZ_CHECK((loadFailure == nullptr) == verdict.empty(), "the loader accepted a package the checks refuse");

    // The devices' kind chooses the command set; mixed kinds, which the
    // front ends refuse, go on here so that the engine meets them too.
    const ReleaseProbe probe = ProbeDeviceRelease(backend, clock);
    devices.SelectCommandSet(KindOf(probe).deviceSpecific ? 1 : 0);

    const bool healthy = !setup.fault && !(setup.twoDevices && setup.mixedSets) && setup.reattachMs < 14000;
    if (setup.oldBootloader && verdict.empty()) {
        const BootloaderImageFolder& image = ImageFolder();
        if (setup.badBootPage)
            backend.Firmware(setup.faultDevice % backend.DeviceCount())
                .SetBadPage(setup.faultAfter % kBootloaderImagePages, setup.badBootPageTwice ? 2 : 1);
        const int refreshed = UpdateBootloader(devices, image.Path() + kBootloaderImageName);
        if (healthy)
            FUZZ_CHECK(refreshed == (setup.badBootPage && setup.badBootPageTwice ? 0 : 1),
                       "the refresh's outcome does not follow from the stored boot loader");
        if (!refreshed) {
            // The front end stops here: no reset, no update.
            return 0;
        }
        // Every device counted at the start, even one that left afterwards.
        for (int d = 0; d < backend.DeviceCount(); ++d)
            if (counted[d]) {
                std::vector<uint8_t> stored(image.Padded().size());
                backend.Firmware(d).ReadFlash(0, stored.data(), stored.size());
                FUZZ_CHECK(stored == image.Padded(), "a refreshed boot loader differs from its image");
            }
    }

    QuietPage page(prompter);
    UpdateJob job(devices, std::move(package));
    const std::weak_ptr<const LoadedPackage> given = job.package;
    FUZZ_CHECK(UpdateThreadProc(&page, job) == 1, "the worker's routine returns 1");
    FUZZ_CHECK(job.progress.m_bDone == 1, "the run ended without raising the done flag");
    FUZZ_CHECK(clock.NowMs() - kStartMs < kMaxRunMs, "the run took unbounded time");
    FUZZ_CHECK(given.expired(), "the run kept the package buffers");
    FUZZ_CHECK(job.progress.m_outcome.load() == UpdateOutcome::Success || job.progress.m_failureMessage.empty() ||
                   !prompter.Messages().empty(),
               "the run ended with a message it never showed");

    const bool succeeded = page.status.rfind(kSuccessPrefix, 0) == 0;
    // Faults and a slow re-attach bring their own failures; without them the
    // outcome follows from the package alone: every area the checks let
    // through is written, however short.
    for (int d = 0; d < backend.DeviceCount(); ++d)
        for (const std::string& fault : backend.Firmware(d).Faults())
            FUZZ_CHECK(fault.rfind("write into unerased flash", 0) != 0, "a page was written into unerased flash");
    if (!verdict.empty()) {
        FUZZ_CHECK(!succeeded, "a refused package was reported as written");
        for (int d = 0; d < backend.DeviceCount(); ++d)
            FUZZ_CHECK(backend.Firmware(d).EraseCount() == 0 && backend.Firmware(d).WriteCommandCount() == 0,
                       "a refused package reached a device's flash");
        const std::vector<std::string> messages = prompter.Messages();
        if (healthy)
            FUZZ_CHECK(!messages.empty() && messages.back() == verdict, "the refusal did not show the check's message");
    } else if (healthy) {
        FUZZ_CHECK(succeeded, "a sound package on healthy devices failed to update");
    }
    if (succeeded) {
        // A device unplugged before its first report never took part.
        int programmed = 0;
        for (int d = 0; d < backend.DeviceCount(); ++d)
            if (backend.ReportCount(d) > 0) {
                CheckProgrammedDevice(backend.Firmware(d), reference);
                ++programmed;
            }
        FUZZ_CHECK(programmed > 0, "an update succeeded without a device");
    }
    return 0;
}
