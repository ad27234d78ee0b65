#pragma once
// The boot-loader check that precedes an update, with its steps (the check,
// and the rewrite of one too old) reported to the page.

#include <string>

class DeviceSet;
class ProgressPage;

// As UpdateBootloader on `devices` with the image at `imagePath`: 1 when the
// update may go on.
int CheckBootloader(ProgressPage& page, DeviceSet& devices, const std::string& imagePath);
