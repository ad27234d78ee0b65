#include <gtest/gtest.h>

#include "wizard/PackageFileName.h"

namespace {

// Both generic release numbers share the generic package; any other takes
// its own, named with its four digits.
TEST(PackageFileNameFor, GenericReleasesShareOnePackageEveryOtherHasItsOwn)
{
    const std::pair<uint16_t, const char*> cases[] = {
        {0x5512, "KT7_Down.dat"}, {0x0000, "KT7_Down.dat"}, {0x0100, "KT7_Down0100.dat"}, {0xabcd, "KT7_DownABCD.dat"}};
    for (auto [release, file] : cases)
        EXPECT_EQ(PackageFileNameFor(release), file) << release;
}

} // namespace
