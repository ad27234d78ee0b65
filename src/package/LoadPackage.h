#pragma once
// The whole loading sequence of the welcome page: the file name a device's
// release number selects, where the file is looked for, reading,
// descrambling and checking. It returns the package or why it failed, and
// shows nothing: the front end shows the failure.

#include <cstdint>
#include <memory>
#include <string>

#include "package/PackageFailure.h"
#include "package/PackageParser.h"
#include "package/PackageSearch.h"

struct PackageLoad {
    std::shared_ptr<const LoadedPackage> package;  // null when it failed
    // The package file, or when none was found the first place looked at.
    std::string path;
    // Something that is not a folder lies at `path`: tells a package that is
    // missing from one that is there but cannot be loaded.
    bool found = false;
    // The user named this very file: it is used whatever its name, so no
    // device's release number chose it.
    bool named = false;
    PackageFailure failure;
    // The message box text of the failure (PackageFailureText), empty on success.
    std::string message;

    explicit operator bool() const { return package != nullptr; }
};

// The package file's name: the generic one, or with a device's release text
// (four hex digits) put before ".dat", as in "KT7_Down0123.dat". An empty
// text gives the generic name.
std::string PackageFileName(const std::string& releaseText);

// Loads the package for a device whose release text is `releaseText` (empty:
// the generic package) from `places` (PackageSearch.h). The map's random
// block is seeded with `seed`.
PackageLoad LoadPackage(const PackagePlaces& places, const std::string& releaseText, uint32_t seed);

// Loads the file at `path`, named by the user (a file chosen or dropped).
PackageLoad LoadPackageFile(const std::string& path, uint32_t seed);
