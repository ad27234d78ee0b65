#include "package/PackageBuffers.h"

#include <new>

namespace {

uint8_t* AllocateWithNew(size_t bytes)
{
    return new (std::nothrow) uint8_t[bytes];
}

PackageAllocator g_allocator = AllocateWithNew;

} // namespace

std::unique_ptr<uint8_t[]> AllocatePackageBuffer(size_t bytes)
{
    return std::unique_ptr<uint8_t[]>(g_allocator(bytes));
}

void SetPackageAllocator(PackageAllocator allocator)
{
    g_allocator = allocator ? allocator : AllocateWithNew;
}
