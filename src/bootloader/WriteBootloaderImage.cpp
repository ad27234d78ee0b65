#include "bootloader/BootloaderRefresh.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "hid/HidCommands.h"
#include "platform/Diagnostics.h"
#include "platform/FlashGeometry.h"
#include "platform/ProgramDirectory.h"
#include "platform/RegularFile.h"

int WriteBootloaderImage()
{
    const std::string path = GetProgramDirectory() + kBootloaderImageName;

    // A folder or a special file is as good as no image.
    RegularFile file(path);
    int64_t length = file.Length();
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
    if (file.Read(image.get(), fileLength) != ssize_t(fileLength)) {
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
