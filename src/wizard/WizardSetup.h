#pragma once
// What an update wizard is started with: the run's services, where the
// package is looked for, and the options of the update. The Qt pages, the
// Windows pages, kt7-flash's update and each of its parallel workers make one.

#include <string>
#include <vector>

#include "package/PackageSearch.h"
#include "platform/RunContext.h"

class PackageShelf;

// Where a record of each device's update goes (records.jsonl), and what it
// says of the bench.
struct RecordsSettings {
    std::string path;     // empty: no record is kept
    std::string station;  // the bench's name
    int attempt = 1;      // 1 for a device's first try, 2 for its first retry, ...
};

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
    // Installed into the system (not a copy beside its package): a missing
    // package is asked for at once, without a message about a file in the
    // system's program folder.
    bool installed = false;
    // A worker of a run of several devices side by side: its packages come
    // from the run's shelf, and its device is numbered as the run numbers it.
    PackageShelf* packages = nullptr;
    int firstDeviceNumber = 0;
    RecordsSettings records = {};
    // The packages' SHA-256s the user expects (lowercase hex): a package with
    // another is refused as it is loaded. Empty: any package.
    std::vector<std::string> expectedSha256 = {};
};
