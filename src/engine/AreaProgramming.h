#pragma once
// Checks the loaded package and erases and writes its areas (map, voice,
// main program) on every attached device.

#include <cstdint>

class ProgressPage;

// 0 on success, -1 on failure (already shown to the user, except a failed
// area table). Fills areaLengths/areaSums (main, voice, map) for the blocks
// written afterwards; the caller sets every word to 0xFFFFFFFF first.
int ProgramAreas(ProgressPage& page, uint32_t areaLengths[3], uint32_t areaSums[3]);
