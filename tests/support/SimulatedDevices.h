#pragma once
// Simulated devices for tests that talk to them through the command
// operations: KT7_SIMULATE-style text, a virtual clock, captured diagnostics
// and a device set over them. Start() replaces whatever an earlier call made.

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "hid/DeviceSet.h"
#include "hid/Protocol.h"
#include "platform/Clock.h"
#include "platform/Diagnostics.h"
#include "sim/SimConfig.h"
#include "sim/SimulatedBackend.h"

class SimulatedDevicesTest : public ::testing::Test {
protected:
    void Start(const std::string& simulate)
    {
        SimConfig config;
        std::string error;
        ASSERT_TRUE(ParseSimConfig(simulate, &config, &error)) << error;
        devices.reset();
        backend = std::make_unique<SimulatedBackend>(config, clock);
        devices = std::make_unique<DeviceSet>(*backend, clock, diagnostics);
        // Counted as a run counts them before its first command.
        devices->IsDevicePresent();
    }

    VirtualClock clock;
    CapturingDiagnostics diagnostics;
    std::unique_ptr<SimulatedBackend> backend;
    std::unique_ptr<DeviceSet> devices;
};

// One whole command report, report ID first, as the host sends it.
using Report = std::array<uint8_t, kReportSize>;
inline Report Command(uint8_t code, uint32_t arg1, uint32_t arg2)
{
    Report report;
    BuildCommandReport(CommandPacket{code, arg1, arg2}, report.data());
    return report;
}
