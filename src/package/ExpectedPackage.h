#pragma once
// The packages the user said to expect, by their SHA-256 (kt7-flash
// --expect-sha256): any other is refused as it is loaded, before a device is
// sent anything.

#include <string>
#include <vector>

#include "package/LoadPackage.h"

// True when `expected` (64 lowercase hex digits each) is empty or holds `sha256`.
bool IsExpectedPackage(const std::string& sha256, const std::vector<std::string>& expected);

// `load` as it is, unless its package is not expected: then the package is
// dropped and the message names the file, its SHA-256 and those expected.
// The file was found and read, so `found` stays true.
PackageLoad RefuseUnexpectedPackage(PackageLoad load, const std::vector<std::string>& expected);
