#pragma once
// The fuzz targets' entry functions. Each takes one input and returns 0; a
// fault shows up as a sanitizer report or as a FUZZ_CHECK abort.

#include <cstddef>
#include <cstdint>

int FuzzPackageLoad(const uint8_t* data, size_t size);
int FuzzSimFirmware(const uint8_t* data, size_t size);
int FuzzUpdateRun(const uint8_t* data, size_t size);
int FuzzRecordsText(const uint8_t* data, size_t size);

struct FuzzTarget {
    const char* name;  // also the corpus folder's name
    int (*entry)(const uint8_t* data, size_t size);
};

inline constexpr FuzzTarget kFuzzTargets[] = {
    {"package_load", FuzzPackageLoad},
    {"sim_firmware", FuzzSimFirmware},
    {"update_run", FuzzUpdateRun},
    {"records_text", FuzzRecordsText},
};
