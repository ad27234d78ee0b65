#include <cstdio>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "Unprivileged.h"
#include "hid/DevicePermission.h"
#include "backends/HidapiBackend.h"
#include "platform/Diagnostics.h"

namespace {

TEST(HidapiBackendTest, NodeWithoutAccessIsReportedOnceNamingTheRule)
{
    std::string locked = MakeNode(0600);
    ASSERT_FALSE(locked.empty());

    std::optional<bool> reportedOnce = RunUnprivileged([&] {
        CapturingDiagnostics diagnostics;
        HidapiBackend backend(diagnostics);
        bool refused = !backend.Open(locked) && !backend.Open(locked) && !backend.Open("/tmp/kt7-no-such-node");
        return refused && diagnostics.Text() == AccessDeniedLine(locked);
    });
    std::remove(locked.c_str());
    if (!reportedOnce)
        GTEST_SKIP() << "can't drop root here";
    EXPECT_TRUE(*reportedOnce);
}

TEST(HidapiBackendTest, MissingNodeIsRefusedQuietly)
{
    CapturingDiagnostics diagnostics;
    HidapiBackend backend(diagnostics);
    EXPECT_EQ(backend.Open("/tmp/kt7-no-such-node"), nullptr);
    EXPECT_EQ(diagnostics.Text(), "");
}

} // namespace
