#pragma once
// The welcome page's summary of a package: CR LF separated lines, the first
// one empty, no line break after the last. Also the same facts one by one.

#include <string>

#include "package/Package.h"

// Each text field decoded to UTF-8.
struct PackageSummaryFields {
    std::string solution;         // "KT7.0", or "!Unknown!" for a foreign magic
    std::string updateTime;
    std::string softwareVersion;  // of this program, as the summary names it
    std::string firmwareVersion;
    std::string voiceVersion;
    std::string dataVersion;
};

PackageSummaryFields SummaryFieldsOf(const PackageHeader& header);

std::string ComposePackageSummary(const PackageHeader& header);
