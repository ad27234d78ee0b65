#pragma once
// Installs a scripted backend, a virtual clock, a recording prompter and
// captured diagnostics for the length of a test, from start values.

#include <gtest/gtest.h>

#include "hid/Presence.h"
#include "platform/Services.h"
#include "support/FakeHidBackend.h"

class HidTest : public ::testing::Test {
protected:
    void SetUp() override { ResetDeviceState(); }
    void TearDown() override { ResetDeviceState(); }

    FakeHidBackend backend;
    VirtualClock clock;
    RecordingPrompter prompter;
    CapturingDiagnostics diagnostics;
    ScopedServices services{Services{&backend, &clock, &prompter, &diagnostics}};
};
