#pragma once
// A scripted backend, a virtual clock, a recording prompter, captured
// diagnostics and a device set over them for the length of a test; each
// test is a new run with its own devices.

#include <gtest/gtest.h>

#include "hid/DeviceSet.h"
#include "platform/Clock.h"
#include "platform/Diagnostics.h"
#include "platform/Prompter.h"
#include "support/FakeHidBackend.h"

class HidTest : public ::testing::Test {
protected:
    FakeHidBackend backend;
    VirtualClock clock;
    RecordingPrompter prompter;
    CapturingDiagnostics diagnostics;
    DeviceSet devices{backend, clock, diagnostics};
};
