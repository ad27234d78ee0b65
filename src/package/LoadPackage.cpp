#include <cstring>

#include "package/MapImage.h"
#include "package/Package.h"
#include "package/PackageReader.h"
#include "platform/ProgramDirectory.h"
#include "platform/Services.h"

std::string PackageFileName(const char* releaseText)
{
    std::string name = kGenericPackageName;
    if (releaseText)
        name.insert(name.size() - 4, releaseText, strnlen(releaseText, 4));
    return name;
}

bool LoadPackage(std::string* summary, int* deviceSpecific, ReleaseProbeFunction probe)
{
    ResetPackageState();
    char releaseText[5] = {};
    bool specific = probe && probe(releaseText) != 0;
    if (deviceSpecific)
        *deviceSpecific = specific ? 1 : 0;

    LoadedPackage package;
    MapRandomBlock random = MakeMapRandomBlock(GetClock().TickCount());
    const std::string path = GetProgramDirectory() + PackageFileName(specific ? releaseText : nullptr);
    if (PackageFailure failure = LoadPackageFromFile(path, random, &package)) {
        GetPrompter().ShowMessage(PackageFailureText(failure, path, specific ? releaseText : nullptr));
        return false;
    }
    if (summary)
        *summary = package.summary;
    InstallLoadedPackage(std::move(package));
    return true;
}
