// kt7-gadget: serves simulated devices as USB HID gadgets, one per USB device
// controller, until SIGTERM or SIGINT; then saves their flash images.
//
//   kt7-gadget [--configfs DIR] [--ready FILE] [OPTIONS]
//
// OPTIONS use the simulator's syntax (';'-separated key=value): devices,
// release, version, reattach, flash=DIR (images DIR/device<i>.bin, loaded at
// start when present, saved at exit with DIR/device<i>.status), unplug, stall,
// noreattach, timing=usb (erase busy time), others (non-matching HID gadgets
// on the first controllers). trace is not supported here.

#include <atomic>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "ConfigFsGadget.h"
#include "GadgetDevice.h"
#include "sim/SimConfig.h"

namespace {
std::atomic<bool> g_stop{false};

void OnSignal(int)
{
    g_stop.store(true);
}

constexpr uint16_t kOtherVendorId = 0x1234;
constexpr uint16_t kOtherProductId = 0x5678;

uint64_t FaultAfter(const std::vector<SimReportFault>& faults, int device)
{
    for (const SimReportFault& fault : faults) {
        if (fault.device == device)
            return fault.afterReports == 0 ? 1 : fault.afterReports;
    }
    return 0;
}

GadgetFaults FaultsOf(const SimConfig& config, int device)
{
    GadgetFaults faults;
    faults.unplugAfter = FaultAfter(config.unplug, device);
    faults.stallAfter = FaultAfter(config.stall, device);
    for (int d : config.noReattach)
        faults.noReattach = faults.noReattach || d == device;
    faults.slowErase = config.timing == SimTiming::Usb;
    faults.reattachMs = config.reattachMs;
    return faults;
}

std::string ImagePath(const SimConfig& config, int device, const char* suffix)
{
    return config.flashDir + "/device" + std::to_string(device) + suffix;
}

void SaveDevice(const SimConfig& config, GadgetDevice& device)
{
    SimFirmware& firmware = device.Firmware();
    std::string error;
    if (!firmware.SaveFlash(ImagePath(config, device.Index(), ".bin"), &error))
        std::fprintf(stderr, "kt7-gadget: %s\n", error.c_str());
    std::ofstream status(ImagePath(config, device.Index(), ".status"));
    status << "reports=" << device.ReportCount() << "\n"
           << "resets=" << device.ResetCount() << "\n"
           << "reports_since_attach=" << device.ReportsSinceAttach() << "\n"
           << "seconds_since_attach=" << device.SecondsSinceAttach() << "\n"
           << "ends=" << firmware.EndCount() << "\n"
           << "erases=" << firmware.EraseCount() << "\n"
           << "writes=" << firmware.WriteCommandCount() << "\n"
           << "ignored=" << firmware.IgnoredReports() << "\n";
    for (const std::string& fault : firmware.Faults())
        status << "fault=" << fault << "\n";
}

int Usage()
{
    std::fprintf(stderr, "usage: kt7-gadget [--configfs DIR] [--ready FILE] [OPTIONS]\n");
    return 2;
}
}  // namespace

int main(int argc, char** argv)
{
    std::string configFs = "/sys/kernel/config";
    std::string readyFile;
    std::string options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--configfs" && i + 1 < argc)
            configFs = argv[++i];
        else if (arg == "--ready" && i + 1 < argc)
            readyFile = argv[++i];
        else if (!arg.empty() && arg[0] == '-')
            return Usage();
        else if (options.empty())
            options = arg;
        else
            return Usage();
    }

    SimConfig config;
    std::string error;
    if (!ParseSimConfig(options, &config, &error)) {
        std::fprintf(stderr, "kt7-gadget: %s\n", error.c_str());
        return 2;
    }
    if (!config.traceFile.empty())
        std::fprintf(stderr, "kt7-gadget: trace= is not supported; ignored\n");

    const std::vector<std::string> controllers = ListDeviceControllers();
    const size_t needed = static_cast<size_t>(config.others + config.devices);
    if (controllers.size() < needed) {
        std::fprintf(stderr, "kt7-gadget: %zu USB device controllers needed, %zu present (load dummy_hcd num=%zu)\n",
                     needed, controllers.size(), needed);
        return 1;
    }

    std::vector<std::unique_ptr<ConfigFsGadget>> others;
    for (int i = 0; i < config.others; ++i) {
        auto gadget = std::make_unique<ConfigFsGadget>(configFs, "other" + std::to_string(i), controllers[i]);
        if (!gadget->Create(kOtherVendorId, kOtherProductId, 0x0100, &error) || !gadget->Bind(&error)) {
            std::fprintf(stderr, "kt7-gadget: other device %d: %s\n", i, error.c_str());
            return 1;
        }
        others.push_back(std::move(gadget));
    }

    std::vector<std::unique_ptr<GadgetDevice>> devices;
    for (int i = 0; i < config.devices; ++i) {
        auto gadget = std::make_unique<ConfigFsGadget>(configFs, "kt7-" + std::to_string(i),
                                                       controllers[config.others + i]);
        auto device = std::make_unique<GadgetDevice>(i, std::move(gadget), config.ReleaseOf(i), config.versionText,
                                                     FaultsOf(config, i));
        if (!config.flashDir.empty()) {
            struct stat info;
            const std::string image = ImagePath(config, i, ".bin");
            if (::stat(image.c_str(), &info) == 0 && !device->Firmware().LoadFlash(image, &error)) {
                std::fprintf(stderr, "kt7-gadget: device %d: %s\n", i, error.c_str());
                return 1;
            }
        }
        if (!device->Start(&error)) {
            std::fprintf(stderr, "kt7-gadget: device %d: %s\n", i, error.c_str());
            return 1;
        }
        devices.push_back(std::move(device));
    }

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    if (!readyFile.empty())
        std::ofstream(readyFile) << devices.size() << "\n";
    std::fprintf(stderr, "kt7-gadget: %zu device(s) attached\n", devices.size());

    std::vector<std::thread> threads;
    for (auto& device : devices)
        threads.emplace_back([&device] { device->Run(g_stop); });
    for (std::thread& thread : threads)
        thread.join();

    if (!config.flashDir.empty()) {
        for (auto& device : devices)
            SaveDevice(config, *device);
    }
    return 0;
}
