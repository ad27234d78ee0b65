#include "package/Package.h"

std::string g_packageChoice;

void ReleasePackageBuffers()
{
    PackageState& package = CurrentPackage();
    package.m_packageData.reset();
    package.m_packageCapacity = 0;
    package.m_mapImage.reset();
    package.m_mapImageCapacity = 0;
}

void ResetPackageState()
{
    CurrentPackage() = PackageState{};
}
