#pragma once
// The update package: its header, the loaded package's process-wide state,
// and the loading sequence of the welcome page.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/RunBinding.h"

inline constexpr uint32_t kMaxPackageFileLength = 0x7F00000u;
inline constexpr uint32_t kKeyBlockSize = 1024;
inline constexpr uint32_t kPackageHeaderSize = 128;
inline constexpr uint32_t kMapRandomBlockSize = 256;
inline constexpr uint32_t kAreaAbsent = 0xFFFFFFFFu;
inline constexpr char kPackageMagic[] = "KT7USBZL";
inline constexpr char kGenericPackageName[] = "KT7_Down.dat";

// The payload's first 128 bytes. Text fields are 8-bit (GBK) without
// terminator: read up to the first zero byte or the field's end.
struct PackageHeader {
    char magic[8] = {};
    uint32_t mapScrambleLength = 0;
    char updateTime[10] = {};
    uint32_t mainOffset = 0;
    uint32_t mainSize = 0;
    uint32_t mainAddress = 0;
    char firmwareVersion[4] = {};
    uint32_t voiceOffset = 0;
    uint32_t voiceSize = 0;
    uint32_t voiceAddress = 0;
    char voiceVersion[4] = {};
    uint32_t mapOffset = 0;
    uint32_t mapSize = 0;
    uint32_t mapAddress = 0;
    char dataVersion[4] = {};
    uint8_t mainCheck = 0;
    uint8_t voiceCheck = 0;
    uint8_t mapCheck = 0;
};

// Decodes a header from the first `available` bytes of a payload; bytes past
// them read as 0.
PackageHeader ParsePackageHeader(const uint8_t* payload, size_t available);
// The inverse: the header's 128 bytes, reserved bytes 0.
void StorePackageHeader(const PackageHeader& header, uint8_t out[kPackageHeaderSize]);

// The loaded package. Filled once by LoadPackage on the user-interface thread,
// read by the update's worker, released exactly once (ReleasePackageBuffers).
struct PackageState {
    std::unique_ptr<uint8_t[]> m_packageData;  // descrambled payload
    uint32_t m_packageCapacity = 0;            // bytes allocated: file length + 512
    uint32_t m_packageLength = 0;              // payload bytes
    PackageHeader m_packageHeader;
    std::unique_ptr<uint8_t[]> m_mapImage;     // null without map data
    uint32_t m_mapImageCapacity = 0;           // bytes allocated for m_mapImage
    // Where the last load looked: the package file in use, or the first place
    // it was looked for; and whether a file was there at all. The boot-loader
    // image is looked for beside it.
    std::string m_packagePath;
    bool m_packageFound = false;
};

inline PackageState& CurrentPackage() { return RunBinding<PackageState>::Current(); }

// Frees whichever package buffer is still held; the pointers are null after.
void ReleasePackageBuffers();
// Puts every variable of the loaded package back to its start value.
void ResetPackageState();

// The release-number probe the loader asks for the first device's release
// text (4 hex digits + zero byte); nonzero selects the device-specific name.
using ReleaseProbeFunction = int (*)(char releaseText[5]);

// The package file's name: the generic one, or with a device's release text
// (four hex digits) put before ".dat", as in "KT7_Down0123.dat". A null or
// empty text gives the generic name.
std::string PackageFileName(const char* releaseText);

// The file or folder the user named for the package (command line, file
// dialog); empty for none. LoadPackage looks there, else in the program's
// folder and then in the current folder (see PackageSearch.h).
extern std::string g_packageChoice;

// The whole loading sequence: probe, file name, search, load. On failure it
// has shown its message and returns false; m_packageFound then tells a
// package that is missing from one that is there but cannot be loaded.
bool LoadPackage(std::string* summary, int* deviceSpecific, ReleaseProbeFunction probe);

// Loads the file at `path` in place of the package in use. On failure it has
// shown its message and the package in use stays as it was.
bool ReplacePackage(const std::string& path, std::string* summary);
