#pragma once
// The platform services one run works with: the HID backend its devices are
// found on, its clock, its message boxes and its log. A front end (or a test)
// makes them and passes them by hand to whatever needs them; nothing reaches
// them through a thread or a process-wide object.

#include "platform/Clock.h"
#include "platform/Diagnostics.h"
#include "platform/HidBackend.h"
#include "platform/Prompter.h"

struct RunContext {
    HidBackend& hid;
    Clock& clock;
    Prompter& prompter;
    DiagnosticsSink& diagnostics;
};
