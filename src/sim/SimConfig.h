#pragma once
// What the simulated devices look like and how they misbehave, as given by the
// KT7_SIMULATE environment variable: ';'-separated key=value items.
//
//   devices=N        matching devices, 0..64 (default 1)
//   release=H[,H..]  USB release numbers in hex, one per device; when the list
//                    is shorter than the device count its last value repeats
//                    (default 5512)
//   others=N         non-matching HID devices (vendor 0x1234), 0..64, listed
//                    before ours (default 0)
//   version=TEXT     the boot loader's version answer, at most 64 bytes (default B)
//   timing=instant|usb   usb: 1 ms per report, 34 ms per erased sector
//   reattach=MS      delay before a reset device attaches again (default 1500)
//   arrive=MS[,MS..] device i is plugged in MS milliseconds after the backend
//                    started, one value per device; devices past the end of
//                    the list are there from the start
//   flash=DIR        device i's flash image is DIR/device<i>.bin; DIR must
//                    exist (checked when the backend starts, never created)
//   trace=FILE       every report to or from a simulated device, one per line;
//                    FILE is created or emptied when the backend starts
//   serial=S[,S..]   serial numbers, one per device; devices past the end of
//                    the list, or with an empty one, have none (default none)
//   unplug=I@K       device I is gone after its K-th report
//   stall=I@K        device I stops answering after its K-th report
//   drop=I@K         device I drops off the bus after its K-th report and
//                    attaches again after the re-attach delay, as through a
//                    loose plug; once, so that an update tried again succeeds
//   noreattach=I     device I does not come back after a reset
//   badpage=I@P      device I keeps flash page P wrong whenever it is written
//                    (bit 0 of the page's first byte flipped), e.g. a page of
//                    the boot loader, which then fails its read-back
//   corrupt=I@P      device I stores flash page P with one bit flipped (bit 0
//                    of the page's byte 128) whenever it is written, and takes
//                    the write as accepted: a silent corruption that only a
//                    read-back finds
// The fault keys may be given more than once, or as comma lists
// (unplug=0@10,1@20). Reports are counted per device, both directions together.

#include <cstdint>
#include <string>
#include <vector>

enum class SimTiming { Instant, Usb };

struct SimReportFault {
    int device = 0;
    uint64_t afterReports = 0;  // K: takes effect once this many reports were exchanged
};

struct SimBadPage {
    int device = 0;
    uint32_t page = 0;
};

struct SimConfig {
    static constexpr int kMaxDevices = 64;
    static constexpr int kMaxOthers = 64;
    static constexpr size_t kMaxVersionText = 64;
    static constexpr size_t kMaxSerialText = 32;

    int devices = 1;
    std::vector<uint16_t> releases{0x5512};
    int others = 0;
    std::string versionText = "B";
    SimTiming timing = SimTiming::Instant;
    uint32_t reattachMs = 1500;
    std::vector<uint32_t> arriveMs;  // per device; shorter than devices: the rest are there at once
    std::string flashDir;   // empty: flash lives in memory only
    std::string traceFile;  // empty: no trace
    std::vector<SimReportFault> unplug;
    std::vector<SimReportFault> stall;
    std::vector<SimReportFault> drop;
    std::vector<std::string> serials;  // per device; shorter than devices: the rest have none
    std::vector<int> noReattach;
    std::vector<SimBadPage> badPages;
    std::vector<SimBadPage> corruptPages;

    // The release number of device i (the last listed value repeats).
    uint16_t ReleaseOf(int device) const;
    // The serial number of device i; empty for none.
    std::string SerialOf(int device) const;
};

// Parses KT7_SIMULATE text into *config, starting from the defaults. Empty
// items are ignored. An unknown key or a bad value returns false with an
// error that names the key; *config is then left unchanged.
bool ParseSimConfig(const std::string& text, SimConfig* config, std::string* error);
