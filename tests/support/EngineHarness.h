#pragma once
// Test bed for engine runs: a virtual clock, simulated devices configured
// with KT7_SIMULATE-style text, recorded message boxes and diagnostics, the
// run's device set and a recording page. Each harness is a new run with its
// own state; nothing is installed anywhere.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/UpdateJob.h"
#include "hid/DeviceSet.h"
#include "package/PackageParser.h"
#include "package/PackageWriter.h"
#include "platform/Clock.h"
#include "platform/Diagnostics.h"
#include "platform/Prompter.h"
#include "platform/RunContext.h"
#include "sim/SimulatedBackend.h"
#include "support/PackageTestFiles.h"
#include "support/RecordingPage.h"

class EngineHarness {
public:
    explicit EngineHarness(const std::string& simulate = "");
    EngineHarness(const EngineHarness&) = delete;
    EngineHarness& operator=(const EngineHarness&) = delete;

    // Loads the package file made from `contents` the way the welcome page
    // does and gives it to the job; the map's random block comes from
    // `mapSeed`. False with *error when the loader refuses it.
    bool Install(const PackageSpec& contents, uint32_t mapSeed = 1, std::string* error = nullptr);
    // Gives the job a plain payload without the loader's checks (for headers
    // the loader would refuse); the map image is built when the map lies
    // inside the payload.
    void InstallPayload(const std::vector<uint8_t>& payload, uint32_t mapSeed = 1);
    // The package the job was given (the run releases it when it ends).
    const LoadedPackage& Package() const { return *m_package; }

    SimulatedBackend& Backend() { return *m_backend; }
    SimFirmware& Firmware(int device) { return m_backend->Firmware(device); }
    std::vector<std::string> Messages() const { return prompter.Messages(); }

    VirtualClock clock{100000};
    RecordingPrompter prompter;
    CapturingDiagnostics diagnostics;

private:
    std::unique_ptr<SimulatedBackend> m_backend;
    std::shared_ptr<const LoadedPackage> m_package;

public:
    RunContext context{*m_backend, clock, prompter, diagnostics};
    DeviceSet devices{*m_backend, clock, diagnostics};
    RecordingPage page{&prompter};
    UpdateJob job{devices, nullptr};
};

// A small package with all three areas at sector-aligned addresses.
PackageSpec ThreeAreaSpec();
// Only the main program.
PackageSpec MainOnlySpec();

// Bytes of a device's flash at a window address.
std::vector<uint8_t> FlashBytes(const SimFirmware& firmware, uint32_t address, size_t length);
uint32_t FlashWord(const SimFirmware& firmware, uint32_t address);

// Runs the worker routine on the harness's job to its end and checks that it
// raised the done flag. A run that has not ended after 20 s of real time
// hangs, which must never happen on the virtual clock: the test program
// aborts.
void RunWorker(EngineHarness& harness);

// True when no value is below the one before it.
bool NeverDecreases(const std::vector<int>& values);

// Sum of the checksums of `bytes` in 256-byte chunks, a short last chunk
// completed with 0xFF (erased flash).
uint32_t ChunkSums(const std::vector<uint8_t>& bytes);
