#include "wizard/PackageFileName.h"

#include "hid/DeviceKind.h"
#include "package/LoadPackage.h"

std::string PackageFileNameFor(uint16_t releaseNumber)
{
    return PackageFileName(ReleaseTextOf(KindOf(releaseNumber)));
}
