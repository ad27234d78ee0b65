#include <cstring>
#include <filesystem>
#include <system_error>

#include "package/MapImage.h"
#include "package/Package.h"
#include "package/PackageReader.h"
#include "package/PackageSearch.h"
#include "platform/ProgramDirectory.h"
#include "platform/SystemPath.h"
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
    std::error_code error;
    const PackageLocation location =
        FindPackageFile({g_packageChoice, GetProgramDirectory(), PathToUtf8(std::filesystem::current_path(error))},
                        PackageFileName(specific ? releaseText : nullptr));
    CurrentPackage().m_packagePath = location.path;
    CurrentPackage().m_packageFound = location.found;
    const std::string& path = location.path;
    if (PackageFailure failure = LoadPackageFromFile(path, random, &package)) {
        GetPrompter().ShowMessage(PackageFailureText(failure, path, specific ? releaseText : nullptr));
        return false;
    }
    if (summary)
        *summary = package.summary;
    InstallLoadedPackage(std::move(package));
    CurrentPackage().m_packagePath = location.path;
    CurrentPackage().m_packageFound = true;
    return true;
}

bool ReplacePackage(const std::string& path, std::string* summary)
{
    LoadedPackage package;
    MapRandomBlock random = MakeMapRandomBlock(GetClock().TickCount());
    if (PackageFailure failure = LoadPackageFromFile(path, random, &package)) {
        GetPrompter().ShowMessage(PackageFailureText(failure, path));
        return false;
    }
    if (summary)
        *summary = package.summary;
    InstallLoadedPackage(std::move(package));
    CurrentPackage().m_packagePath = path;
    CurrentPackage().m_packageFound = true;
    return true;
}
