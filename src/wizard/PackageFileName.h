#pragma once
// The package file a device takes, by its release number: KT7_Down.dat for
// every generic release number, KT7_DownXXXX.dat for any other.

#include <cstdint>
#include <string>

std::string PackageFileNameFor(uint16_t releaseNumber);
