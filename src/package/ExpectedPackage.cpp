#include "package/ExpectedPackage.h"

#include <algorithm>

#include "texts/UserTexts.h"

bool IsExpectedPackage(const std::string& sha256, const std::vector<std::string>& expected)
{
    return expected.empty() || std::find(expected.begin(), expected.end(), sha256) != expected.end();
}

PackageLoad RefuseUnexpectedPackage(PackageLoad load, const std::vector<std::string>& expected)
{
    if (!load || IsExpectedPackage(load.package->sha256, expected))
        return load;
    load.message = UnexpectedPackageText(load.path, load.package->sha256, expected);
    load.package.reset();
    return load;
}
