#pragma once
// One device's row in the terminal displays of a run of several devices
// (--parallel, --watch): what the row shows, taken from its run's reports,
// and its line. The line is the sequential progress line after the
// device's location, so it has one percent, and an estimate only where the
// status text gives one: a finished device's row shows none.

#include <string>

#include "engine/ProgressPage.h"

class DeviceRow {
public:
    explicit DeviceRow(std::string location) : m_location(std::move(location)) {}

    const std::string& Location() const { return m_location; }

    // Takes a report of the device's run; returns whether the row's line
    // changed. `plainLine` gets what a display without a terminal prints
    // for the report as a line of its own (a new area or status text), or
    // is left empty when the report is not worth a line: a percent per line
    // would flood a log.
    bool Take(const ProgressEvent& event, std::string* plainLine);

    // The row for a terminal `columns` wide, the location padded to
    // `locationWidth` columns so that the rows' percents line up. It takes
    // at most columns - 1 of them.
    std::string Line(int columns, int locationWidth) const;

    // "<location>  <text>": a line of its own about this device.
    std::string Labelled(const std::string& text) const { return m_location + "  " + text; }

private:
    std::string m_location;
    std::string m_area;
    std::string m_status;
    int m_percent = -1;  // none reported yet
};
