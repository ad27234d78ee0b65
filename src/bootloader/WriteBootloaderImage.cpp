#include "bootloader/BootloaderRefresh.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "bootloader/BootloaderReadBack.h"
#include "hid/DeviceSet.h"
#include "platform/Diagnostics.h"
#include "platform/FlashGeometry.h"
#include "platform/RegularFile.h"

namespace {

// Erases the boot loader's sectors and writes the image on every device; the
// byte count written, or -1.
int EraseAndWrite(DeviceSet& devices, const uint8_t* image, uint32_t sectors, uint32_t pages)
{
    DiagPrintf(devices.Log(), "Erase bootloader!\n");
    if (devices.EraseSectors(0, sectors) == 0) {
        DiagPrintf(devices.Log(), "ERROR: Erase bootloader sectors fail!\n");
        return -1;
    }
    DiagPrintf(devices.Log(), "Write bootloader Data!\n");
    int written = devices.WritePages(image, 0, pages);
    if (written == 0) {
        DiagPrintf(devices.Log(), "ERROR: Write bootloader pages fail!\n");
        return -1;
    }
    return written;
}

bool ReadsBackAsWritten(DeviceSet& devices, const uint8_t* image, uint32_t pages)
{
    const ReadBackResult check = ReadBackBootloader(devices, image, pages);
    if (check.matches)
        return true;
    if (check.answered)
        DiagPrintf(devices.Log(), "ERROR: Bootloader read back from device %d differs from the image at page %u!\n",
                   check.device, check.page);
    else
        DiagPrintf(devices.Log(), "ERROR: Bootloader read back from device %d failed!\n", check.device);
    return false;
}

// A failure of the image file itself, not of a device.
void RecordImageFailure(DeviceSet& devices, const std::string& detail)
{
    devices.RecordFailure(DeviceFailure{"boot-loader rewrite", -1, "", FailureCause::Unrecognised, detail});
}

} // namespace

int WriteBootloaderImage(DeviceSet& devices, const std::string& path)
{
    // A folder or a special file is as good as no image.
    RegularFile file(path);
    int64_t length = file.Length();
    if (length < 0) {
        DiagPrintf(devices.Log(), "Can't open file %s\n", path.c_str());
        RecordImageFailure(devices, "the image file " + path + " can't be opened");
        return 0;
    }
    if (uint64_t(length) > kMaxBootloaderImageLength) {
        DiagPrintf(devices.Log(), "ERROR: Bootloader image %s is %lld bytes, more than the %llu the boot loader may take!\n",
                   path.c_str(), static_cast<long long>(length),
                   static_cast<unsigned long long>(kMaxBootloaderImageLength));
        RecordImageFailure(devices, "the image file " + path + " is too long");
        return -1;
    }

    if (length == 0) {
        DiagPrintf(devices.Log(), "ERROR: Bootloader image %s is empty!\n", path.c_str());
        RecordImageFailure(devices, "the image file " + path + " is empty");
        return -1;
    }

    const uint32_t fileLength = uint32_t(length);
    const uint32_t padded = (fileLength + kPageSize - 1) / kPageSize * kPageSize;
    const uint32_t pages = padded / kPageSize;
    const uint32_t sectors = (padded + kSectorSize - 1) / kSectorSize;

    std::unique_ptr<uint8_t[]> image(new (std::nothrow) uint8_t[padded + 4]);
    if (!image) {
        DiagPrintf(devices.Log(), "ERROR: Can't allocat memory for download file!\n");
        RecordImageFailure(devices, "no memory for the image");
        return -1;
    }
    std::memset(image.get(), 0xFF, padded + 4);
    // A short read would put 0xFF where the boot loader has code.
    if (file.Read(image.get(), fileLength) != ssize_t(fileLength)) {
        DiagPrintf(devices.Log(), "Can't open file %s\n", path.c_str());
        RecordImageFailure(devices, "the image file " + path + " can't be read");
        return 0;
    }

    int written = EraseAndWrite(devices, image.get(), sectors, pages);
    if (written < 0 || ReadsBackAsWritten(devices, image.get(), pages))
        return written;
    // One more full rewrite: a page can only be written again once erased.
    DiagPrintf(devices.Log(), "Write bootloader once more!\n");
    written = EraseAndWrite(devices, image.get(), sectors, pages);
    if (written < 0 || ReadsBackAsWritten(devices, image.get(), pages))
        return written;
    return -1;
}
