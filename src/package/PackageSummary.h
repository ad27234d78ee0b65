#pragma once
// The welcome page's summary of a package: CR LF separated lines, the first
// one empty, no line break after the last.

#include <string>

#include "package/Package.h"

std::string ComposePackageSummary(const PackageHeader& header);
