#include "package/PackageSearch.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/SystemPath.h"

namespace fs = std::filesystem;

namespace {

bool IsFolder(const fs::path& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

// Anything but a folder counts: the loader then says what is wrong with it.
bool IsPresentFile(const fs::path& path)
{
    std::error_code error;
    return fs::exists(path, error) && !fs::is_directory(path, error);
}

} // namespace

PackageLocation FindPackageFile(const PackagePlaces& places, const std::string& fileName)
{
    std::vector<fs::path> candidates;
    if (!places.choice.empty()) {
        fs::path choice = (PathFromUtf8(places.currentDirectory) / PathFromUtf8(places.choice)).lexically_normal();
        if (!IsFolder(choice))
            return {PathToUtf8(choice), IsPresentFile(choice)};
        candidates.push_back(choice / PathFromUtf8(fileName));
    } else {
        if (!places.programDirectory.empty())
            candidates.push_back(PathFromUtf8(places.programDirectory) / PathFromUtf8(fileName));
        if (!places.currentDirectory.empty())
            candidates.push_back(PathFromUtf8(places.currentDirectory) / PathFromUtf8(fileName));
    }
    if (candidates.empty())
        return {fileName, false};
    for (const fs::path& candidate : candidates) {
        if (IsPresentFile(candidate))
            return {PathToUtf8(candidate.lexically_normal()), true};
    }
    return {PathToUtf8(candidates.front().lexically_normal()), false};
}

std::string FindBootloaderImage(const std::string& packagePath, const std::string& programDirectory,
                                const std::string& imageName)
{
    if (!packagePath.empty()) {
        fs::path beside = PathFromUtf8(packagePath).parent_path() / PathFromUtf8(imageName);
        if (IsPresentFile(beside))
            return PathToUtf8(beside.make_preferred());
    }
    // Shown with the system's separators throughout (a no-op on Linux).
    return PathToUtf8((PathFromUtf8(programDirectory) / PathFromUtf8(imageName)).make_preferred());
}
