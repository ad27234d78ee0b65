#pragma once
// Where the workers of a run that updates devices side by side show their
// device's progress and messages, each on the row it was given. Many
// workers call it at once.

#include <cstdint>
#include <string>

class DeviceProgressDisplay {
public:
    virtual ~DeviceProgressDisplay() = default;
    virtual void SetArea(int device, const std::string& text) = 0;
    virtual void SetStatus(int device, const std::string& text) = 0;
    virtual void SetPercent(int device, int percent, uint32_t remainMs) = 0;
    // A message of one device, printed above the rows.
    virtual void PrintMessage(int device, const std::string& text) = 0;
};
