#pragma once
// What a parallel update shows of each device, numbered as the run lists
// them: the terminal lines of ParallelDisplay, or --json lines. Many workers
// call it at once.

#include <cstdint>
#include <string>

#include "engine/UpdatePhase.h"

class DeviceDisplay {
public:
    virtual ~DeviceDisplay() = default;

    virtual void EnterPhase(int device, UpdatePhase phase) = 0;
    virtual void SetArea(int device, const std::string& text) = 0;
    // A new status text, with the device's percent and estimate at that moment.
    virtual void SetStatus(int device, const std::string& text, int percent, uint32_t remainMs) = 0;
    virtual void SetPercent(int device, int percent, uint32_t remainMs) = 0;
    // A message box of one device.
    virtual void PrintMessage(int device, const std::string& text) = 0;
    virtual void Finish() = 0;
};
