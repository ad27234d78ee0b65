#pragma once
// The allocation of the two large package buffers. A failed allocation is a
// user-visible failure, so it returns null instead of throwing; tests can
// install an allocator that fails.

#include <cstddef>
#include <cstdint>
#include <memory>

// Must return memory from new uint8_t[] (or null).
using PackageAllocator = uint8_t* (*)(size_t bytes);

std::unique_ptr<uint8_t[]> AllocatePackageBuffer(size_t bytes);

// Installs `allocator` for the package buffers; null puts the default back.
void SetPackageAllocator(PackageAllocator allocator);
