#include "package/LoadPackage.h"

#include <filesystem>
#include <system_error>

#include "package/MapImage.h"
#include "package/Package.h"
#include "package/PackageReader.h"
#include "platform/SystemPath.h"

namespace {

PackageLoad LoadFrom(const std::string& path, bool found, const std::string& releaseText, uint32_t seed)
{
    PackageLoad load;
    load.path = path;
    load.found = found;
    auto package = std::make_shared<LoadedPackage>();
    if (PackageFailure failure = LoadPackageFromFile(path, MakeMapRandomBlock(seed), package.get())) {
        load.failure = failure;
        load.message = PackageFailureText(failure, path, releaseText.empty() ? nullptr : releaseText.c_str());
        return load;
    }
    load.found = true;
    load.package = std::move(package);
    return load;
}

} // namespace

std::string PackageFileName(const std::string& releaseText)
{
    std::string name = kGenericPackageName;
    name.insert(name.size() - 4, releaseText.substr(0, 4));
    return name;
}

PackageLoad LoadPackage(const PackagePlaces& places, const std::string& releaseText, uint32_t seed)
{
    const PackageLocation location = FindPackageFile(places, PackageFileName(releaseText));
    PackageLoad load = LoadFrom(location.path, location.found, releaseText, seed);
    std::error_code error;
    load.named = !places.choice.empty() &&
                 !std::filesystem::is_directory(
                     PathFromUtf8(places.currentDirectory) / PathFromUtf8(places.choice), error);
    return load;
}

PackageLoad LoadPackageFile(const std::string& path, uint32_t seed)
{
    PackageLoad load = LoadFrom(path, true, "", seed);
    load.found = load.failure.problem != PackageProblem::kNotFound;
    load.named = true;
    return load;
}
