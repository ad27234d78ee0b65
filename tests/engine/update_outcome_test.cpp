#include <gtest/gtest.h>

#include <vector>

#include "engine/UpdateOutcome.h"

namespace {

// --parallel and --watch end with one code for all their devices.
TEST(HighestExitCode, NoneOrAllSucceededIsZeroElseTheHighest)
{
    using O = UpdateOutcome;
    struct Case {
        const char* what;
        std::vector<UpdateOutcome> outcomes;
        int exitCode;
    };
    const Case cases[] = {
        {"no device came", {}, 0},
        {"all succeeded", {O::Success, O::Success}, 0},
        {"one failed among successes", {O::Success, O::UpdateFailed, O::Success}, 4},
        {"the highest, not the last", {O::Locked, O::PackageLoadFailed, O::UpdateFailed}, 5},
        {"a refused boot loader and a missing package", {O::PackageLoadFailed, O::Bootloader}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(HighestExitCode(c.outcomes), c.exitCode);
    }
}

} // namespace
