#include "bootloader/BootloaderRefresh.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "bootloader/BootloaderReadBack.h"
#include "hid/HidCommands.h"
#include "package/Package.h"
#include "package/PackageSearch.h"
#include "platform/Diagnostics.h"
#include "platform/FlashGeometry.h"
#include "platform/ProgramDirectory.h"
#include "platform/RegularFile.h"

namespace {

// Erases the boot loader's sectors and writes the image on every device; the
// byte count written, or -1.
int EraseAndWrite(const uint8_t* image, uint32_t sectors, uint32_t pages)
{
    DiagPrintf("Erase bootloader!\n");
    if (EraseSectors(0, sectors) == 0) {
        DiagPrintf("ERROR: Erase bootloader sectors fail!\n");
        return -1;
    }
    DiagPrintf("Write bootloader Data!\n");
    int written = WritePages(image, 0, pages);
    if (written == 0) {
        DiagPrintf("ERROR: Write bootloader pages fail!\n");
        return -1;
    }
    return written;
}

bool ReadsBackAsWritten(const uint8_t* image, uint32_t pages)
{
    const ReadBackResult check = ReadBackBootloader(image, pages);
    if (check.matches)
        return true;
    if (check.answered)
        DiagPrintf("ERROR: Bootloader read back from device %d differs from the image at page %u!\n", check.device,
                   check.page);
    else
        DiagPrintf("ERROR: Bootloader read back from device %d failed!\n", check.device);
    return false;
}

} // namespace

int WriteBootloaderImage()
{
    const std::string path = FindBootloaderImage(CurrentPackage().m_packagePath, GetProgramDirectory(), kBootloaderImageName);

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

    if (length == 0) {
        DiagPrintf("ERROR: Bootloader image %s is empty!\n", path.c_str());
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

    int written = EraseAndWrite(image.get(), sectors, pages);
    if (written < 0 || ReadsBackAsWritten(image.get(), pages))
        return written;
    // One more full rewrite: a page can only be written again once erased.
    DiagPrintf("Write bootloader once more!\n");
    written = EraseAndWrite(image.get(), sectors, pages);
    if (written < 0 || ReadsBackAsWritten(image.get(), pages))
        return written;
    return -1;
}
