#pragma once
// What the wizard is started with: the run's services, where the package is
// looked for, and the options of the update.

#include <string>

#include "package/PackageSearch.h"
#include "platform/RunContext.h"

// How often the progress page looks whether the update's worker is done.
inline constexpr int kWatchPeriodMs = 200;

struct WizardSetup {
    RunContext& context;
    PackagePlaces places;
    bool verify = false;   // read every area and block back after writing it
    std::string lockPath;  // the update lock Next takes (empty: none)
    // The progress page's watch period; tests raise it and deliver the ticks
    // themselves.
    int watchPeriodMs = kWatchPeriodMs;
};
