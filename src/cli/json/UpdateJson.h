#pragma once
// The lines of `kt7-flash update --json` on standard output: one JSON object
// per line, each written whole and flushed at once, from any thread
// (docs/json.md describes them).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/DeviceResult.h"
#include "engine/ProgressPage.h"
#include "engine/UpdatePhase.h"
#include "platform/HidBackend.h"

// Every line and object of --json carries it; raised when a field changes
// meaning or goes away, not when one is added.
inline constexpr int kJsonSchemaVersion = 1;

// The device a line is about, by location; none for a line about every
// device of the run at once (a sequential run) or about the run itself.
using JsonDevice = std::optional<std::string>;

const char* PhaseName(UpdatePhase phase);

void WriteRunStart(bool parallel, const std::string& packageFolder, const std::vector<HidDeviceInfo>& devices);
void WritePhase(const JsonDevice& device, UpdatePhase phase);
// A status step: the status line's text with the percent and the estimate.
void WriteProgress(const JsonDevice& device, int percent, uint32_t remainMs, const std::optional<std::string>& area,
                   const std::string& status);
// A report of the run: a phase line for each step and a progress line for
// each status text; percent steps come too often for a line each, the
// status steps carry the percent.
void WriteProgressEvent(const JsonDevice& device, const ProgressEvent& event);
// What a message box would show.
void WriteMessage(const JsonDevice& device, const std::string& text);
// How the run ended for one device (for one attempt at it, with --retry);
// `elapsedMs` when it was timed on its own; `result`, when the run got as far
// as the devices, says why it failed or which device stopped it.
void WriteResult(const HidDeviceInfo& device, const std::string& package, int exitCode,
                 std::optional<uint32_t> elapsedMs, const DeviceResult* result, int attempt = 1);
void WriteRunEnd(int exitCode);
