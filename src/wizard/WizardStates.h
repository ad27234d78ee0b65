#pragma once
// The states of the update wizard as values a face draws and a test tables:
// the welcome page after a load, the answer to Next, and the end of the run.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/DeviceResult.h"
#include "engine/UpdateOutcome.h"

// The welcome page after the start or a file chosen or dropped.
struct WelcomeState {
    enum class Kind {
        Loaded,     // a package is in use: its summary and path are shown
        NoPackage,  // none was found where it was looked for: ask for one
        Damaged,    // the file is there but cannot be used
    };
    Kind kind = Kind::NoPackage;
    std::string summary;      // Loaded: the summary, lines separated by CR LF
    std::string path;         // Loaded: the file in use; else the file looked for
    std::string releaseText;  // Loaded: the release number that chose it; empty: the generic kind or a named file
    std::string message;      // NoPackage, Damaged: the message box text
    // Start only: said before the page, when no device could be asked which
    // package it takes.
    std::string note;
    // NoPackage: show `message` before the file dialog; an installed program
    // that found no package in its own folder asks for one at once.
    bool messageFirst = true;
};

// What Next does.
struct NextAnswer {
    enum class Kind {
        Locked,       // another update holds the devices: say so, stay
        NoDevice,     // none attached: say what to check, stay
        TwoKinds,     // devices that take different packages: say which, stay
        KindChanged,  // the devices take another package: show it (or why it failed), stay
        GoOn,         // warn, then run the device phase
    };
    Kind kind = Kind::NoDevice;
    std::string message;  // the message box text (GoOn: the warning)
    // KindChanged: the welcome page with the new package; when its load
    // failed, `welcomeChanged` is false and the page stays as it was.
    WelcomeState welcome;
    bool welcomeChanged = false;
    // The ending a face that cannot stay on the page ends with.
    UpdateOutcome outcome = UpdateOutcome::NoDevice;
};

// How the run ended, once the device phase is over.
struct EndState {
    UpdateOutcome outcome = UpdateOutcome::UpdateFailed;
    int exitCode = 4;
    // The status line's last text: the success text with the time, or the
    // failure text naming the device it failed on; "下载进度" again when the
    // boot-loader refresh stopped the run before it began.
    std::string statusText;
    // "详细信息见日志：<path>" when the log holds the failure's lines; else empty.
    std::string logPointer;
    std::string logPath;
    std::vector<DeviceResult> results;  // one per device, as listed when the run began
    uint32_t elapsedMs = 0;
};
