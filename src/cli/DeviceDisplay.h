#pragma once
// What a run of several devices side by side (--parallel, --watch) shows of
// each device, numbered as the run lists them: the rows of the terminal
// displays, or --json lines. Many workers call it at once.

#include <string>

#include "engine/ProgressPage.h"

class DeviceDisplay {
public:
    virtual ~DeviceDisplay() = default;

    // A report of one device's run, as the engine gave it.
    virtual void OnProgress(int device, const ProgressEvent& event) = 0;
    // A message box of one device.
    virtual void PrintMessage(int device, const std::string& text) = 0;
    // A line of the run itself (Ctrl-C's notice, a record not kept), on
    // standard error above the devices' rows.
    virtual void PrintLine(const std::string& text) = 0;
    virtual void Finish() = 0;
};
