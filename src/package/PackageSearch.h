#pragma once
// Where the update package and the boot-loader image are looked for. Pure
// path logic over the file system; nothing is opened or read.

#include <string>

struct PackagePlaces {
    std::string choice;            // the file or folder the user named; empty: none
    std::string programDirectory;  // the running program's folder; empty: unknown
    std::string currentDirectory;  // the process's working folder
};

struct PackageLocation {
    std::string path;    // the package file; when none was found, the first place looked at
    bool found = false;  // something that is not a folder lies at `path`
};

// A named file is the package whatever its name. A named folder, or without a
// choice the program's folder and then the current folder, must hold
// `fileName`. A choice is never passed over for another place: a folder the
// user named that lacks the package is a failure, not a reason to load a
// package from somewhere else. A relative choice is taken from the current
// folder.
PackageLocation FindPackageFile(const PackagePlaces& places, const std::string& fileName);

// `imageName` beside the package when it is there, else in the program's
// folder.
std::string FindBootloaderImage(const std::string& packagePath, const std::string& programDirectory,
                                const std::string& imageName);
