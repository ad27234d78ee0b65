#pragma once
// Puts every process-wide variable (loaded package, device count, command
// set, progress state) back to its start value. For tests and repeated runs
// inside one process.

void ResetProcessState();
