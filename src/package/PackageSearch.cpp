#include "package/PackageSearch.h"

#include <filesystem>
#include <system_error>
#include <vector>

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
        fs::path choice = (fs::path(places.currentDirectory) / places.choice).lexically_normal();
        if (!IsFolder(choice))
            return {choice.string(), IsPresentFile(choice)};
        candidates.push_back(choice / fileName);
    } else {
        if (!places.programDirectory.empty())
            candidates.push_back(fs::path(places.programDirectory) / fileName);
        if (!places.currentDirectory.empty())
            candidates.push_back(fs::path(places.currentDirectory) / fileName);
    }
    if (candidates.empty())
        return {fileName, false};
    for (const fs::path& candidate : candidates) {
        if (IsPresentFile(candidate))
            return {candidate.lexically_normal().string(), true};
    }
    return {candidates.front().lexically_normal().string(), false};
}

std::string FindBootloaderImage(const std::string& packagePath, const std::string& programDirectory,
                                const std::string& imageName)
{
    if (!packagePath.empty()) {
        fs::path beside = fs::path(packagePath).parent_path() / imageName;
        if (IsPresentFile(beside))
            return beside.string();
    }
    return (fs::path(programDirectory) / imageName).string();
}
