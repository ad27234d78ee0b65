#pragma once
// Checks a loaded package and erases and writes its areas (map, voice, main
// program) on every device of a set.

#include <cstdint>

class DeviceSet;
class ProgressPage;
struct LoadedPackage;
struct ProgressState;

// 0 on success, -1 on failure (already shown on `page`, except a failed
// area table; the set holds a device's failure). Fills areaLengths/areaSums
// (main, voice, map) for the blocks written afterwards; the caller sets
// every word to 0xFFFFFFFF first.
int ProgramAreas(DeviceSet& devices, const LoadedPackage& package, ProgressState& progress, ProgressPage& page,
                 uint32_t areaLengths[3], uint32_t areaSums[3]);
