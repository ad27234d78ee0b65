#pragma once
// Reading a package file: the thin I/O step in front of PackageParser. Each
// function returns an empty failure on success, else the user message of its
// failure and what was wrong with the file.

#include <cstdint>
#include <string>

#include "package/PackageFailure.h"
#include "package/PackageParser.h"

// Opens the file for reading and takes its full length.
PackageFailure QueryPackageFileLength(const std::string& path, uint64_t* length);

// Reads the key block and the payload of a file expected to be
// `expectedFileLength` bytes long into package->data (allocated for that
// length), descrambling as it goes. The buffer is never overrun: a file whose
// length differs from the expected one, or changes while it is read, fails.
PackageFailure ReadPackageInto(const std::string& path, uint64_t expectedFileLength, LoadedPackage* package);

// Length, size limit, allocation, reading and FinishPackageLoad for one path.
PackageFailure LoadPackageFromFile(const std::string& path, const MapRandomBlock& random, LoadedPackage* package);
