#pragma once
// Installs a scripted backend, a virtual clock, a recording prompter and
// captured diagnostics for the length of a test; each test is a new run
// with its own device state.

#include <gtest/gtest.h>

#include "hid/DeviceState.h"
#include "hid/Presence.h"
#include "platform/Services.h"
#include "support/FakeHidBackend.h"

class HidTest : public ::testing::Test {
protected:
    DeviceState state;
    RunBinding<DeviceState>::ForThread bound{state};
    FakeHidBackend backend;
    VirtualClock clock;
    RecordingPrompter prompter;
    CapturingDiagnostics diagnostics;
    ScopedServices services{Services{&backend, &clock, &prompter, &diagnostics}};
};
