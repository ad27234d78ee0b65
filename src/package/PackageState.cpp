#include "package/Package.h"

std::unique_ptr<uint8_t[]> g_packageData;
uint32_t g_packageCapacity = 0;
uint32_t g_packageLength = 0;
uint32_t g_packageCursor = 0;
PackageHeader g_packageHeader;
std::unique_ptr<uint8_t[]> g_mapImage;
uint32_t g_mapImageCapacity = 0;
std::string g_packageChoice;
std::string g_packagePath;
bool g_packageFound = false;

void ReleasePackageBuffers()
{
    g_packageData.reset();
    g_packageCapacity = 0;
    g_mapImage.reset();
    g_mapImageCapacity = 0;
}

void ResetPackageState()
{
    ReleasePackageBuffers();
    g_packageLength = 0;
    g_packageCursor = 0;
    g_packageHeader = PackageHeader{};
}
