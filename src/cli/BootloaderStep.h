#pragma once
// The boot-loader check that precedes an update, with its steps (the check,
// and the rewrite of one too old) reported to the page.

#include <string>

class ProgressPage;
struct UpdateJob;

// As UpdateBootloader on the job's devices with the image at `imagePath`: 1
// when the update may go on.
int CheckBootloader(UpdateJob& job, ProgressPage& page, const std::string& imagePath);
