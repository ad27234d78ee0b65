#pragma once
// Reading a package file: the thin I/O step in front of PackageParser. Each
// function returns null on success or the user message of its failure.

#include <cstdint>
#include <string>

#include "package/PackageParser.h"

// Opens the file for reading and takes its full length.
const char* QueryPackageFileLength(const std::string& path, uint64_t* length);

// Reads the key block and the payload of a file expected to be
// `expectedFileLength` bytes long into package->data (allocated for that
// length), descrambling as it goes. The buffer is never overrun: a file whose
// length differs from the expected one, or changes while it is read, fails.
const char* ReadPackageInto(const std::string& path, uint64_t expectedFileLength, LoadedPackage* package);

// Length, size limit, allocation, reading and FinishPackageLoad for one path.
const char* LoadPackageFromFile(const std::string& path, const MapRandomBlock& random, LoadedPackage* package);
