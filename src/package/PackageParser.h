#pragma once
// Turning package bytes into a loaded package, without file I/O. Each step
// returns null on success or the user message of its failure.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "package/MapImage.h"
#include "package/Package.h"

// A loaded package: filled once by the loader, then only read, so that the
// runs of every device of its kind can share it.
struct LoadedPackage {
    std::unique_ptr<uint8_t[]> data;  // payload; capacity = file length + 512
    uint32_t capacity = 0;
    uint32_t length = 0;              // payload bytes
    PackageHeader header;
    std::unique_ptr<uint8_t[]> mapImage;
    uint32_t mapImageCapacity = 0;
    std::string summary;              // UTF-8, CR LF separated
    std::string path;                 // the file it was read from; empty when made in memory
    uint64_t fileSize = 0;            // that file's length
};

// Refuses a file longer than the limit; the length is the full 64-bit one.
const char* CheckPackageFileLength(uint64_t fileLength);

// Allocates the payload buffer for a file of `fileLength` bytes (+ 512 bytes
// of slack). The slack past the payload is left to the reader to fill.
const char* AllocatePayload(uint64_t fileLength, LoadedPackage* package);

// Sets the bytes from the payload's end to the buffer's end to 0xFF, so the
// slack never holds leftover memory.
void FillPayloadSlack(LoadedPackage* package);

// After the payload is in memory: summary, header, map checks, map image, and
// last the package checks the update makes (FirstFailedCheck). A package
// refused by those last checks is otherwise complete.
const char* FinishPackageLoad(LoadedPackage* package, const MapRandomBlock& random);

// A whole package file held in memory: length check, descrambling and
// FinishPackageLoad.
const char* ParsePackageFile(const uint8_t* file, size_t size, const MapRandomBlock& random,
                             LoadedPackage* package);

