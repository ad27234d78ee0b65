#include "bootloader/BootloaderRefresh.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <system_error>

#include "hid/HidCommands.h"
#include "package/Package.h"
#include "package/PackageSearch.h"
#include "platform/Diagnostics.h"
#include "platform/FlashGeometry.h"
#include "platform/ProgramDirectory.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The file's length, or -1 when it has none (a directory, an unseekable file).
int64_t FileLength(std::FILE* file)
{
    if (fseeko(file, 0, SEEK_END) != 0)
        return -1;
    off_t length = ftello(file);
    if (length < 0 || fseeko(file, 0, SEEK_SET) != 0)
        return -1;
    return int64_t(length);
}

} // namespace

int WriteBootloaderImage()
{
    const std::string path = FindBootloaderImage(g_packagePath, GetProgramDirectory(), kBootloaderImageName);

    std::error_code error;
    FilePtr file(std::filesystem::is_directory(path, error) ? nullptr : std::fopen(path.c_str(), "rb"));
    int64_t length = file ? FileLength(file.get()) : -1;
    if (length < 0) {
        DiagPrintf("Can't open file %s\n", path.c_str());
        return 0;
    }
    if (uint64_t(length) > kMaxBootloaderImageLength) {
        DiagPrintf("ERROR: Bootloader image %s is %lld bytes, more than the %llu the boot loader may take!\n",
                   path.c_str(), static_cast<long long>(length),
                   static_cast<unsigned long long>(kMaxBootloaderImageLength));
        return -1;
    }

    const uint32_t fileLength = uint32_t(length);
    const uint32_t padded = (fileLength + kPageSize - 1) / kPageSize * kPageSize;
    const uint32_t pages = padded / kPageSize;
    const uint32_t sectors = (padded + kSectorSize - 1) / kSectorSize;

    std::unique_ptr<uint8_t[]> image(new (std::nothrow) uint8_t[padded + 4]);
    if (!image) {
        DiagPrintf("ERROR: Can't allocat memory for download file!\n");
        return -1;
    }
    std::memset(image.get(), 0xFF, padded + 4);
    // A short read would put 0xFF where the boot loader has code.
    if (std::fread(image.get(), 1, fileLength, file.get()) != fileLength) {
        DiagPrintf("Can't open file %s\n", path.c_str());
        return 0;
    }

    DiagPrintf("Erase bootloader!\n");
    if (EraseSectors(0, sectors) == 0) {
        DiagPrintf("ERROR: Erase bootloader sectors fail!\n");
        return -1;
    }
    DiagPrintf("Write bootloader Data!\n");
    int written = WritePages(image.get(), 0, pages);
    if (written == 0) {
        DiagPrintf("ERROR: Write bootloader pages fail!\n");
        return -1;
    }
    return written;
}
