#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>


#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "backends/BackendSelection.h"
#include "platform/Diagnostics.h"
#include "backends/HidapiBackend.h"
#include "hid/DeviceIdentity.h"
#include "hid/Protocol.h"
#include "sim/SimulatedBackend.h"
#include "support/TestEnvironment.h"

namespace {

using ::testing::HasSubstr;

// Sets or clears KT7_SIMULATE for one test and puts the old value back.
class ScopedSimulate {
public:
    explicit ScopedSimulate(const char* value)
    {
        if (const char* old = std::getenv(kSimulateVariable))
            m_saved = old;
        if (value)
            SetEnv(kSimulateVariable, value);
        else
            UnsetEnv(kSimulateVariable);
    }
    ~ScopedSimulate()
    {
        if (m_saved)
            SetEnv(kSimulateVariable, m_saved->c_str());
        else
            UnsetEnv(kSimulateVariable);
    }

private:
    std::optional<std::string> m_saved;
};

TEST(BackendSelectionTest, UnsetMeansRealDevices)
{
    ScopedSimulate simulate(nullptr);
    VirtualClock clock;
    NullDiagnostics log;
    std::string error;
    auto backend = CreateHidBackend(clock, log, &error);
    ASSERT_NE(backend, nullptr);
    EXPECT_NE(dynamic_cast<HidapiBackend*>(backend.get()), nullptr);
    EXPECT_EQ(error, "");
}

TEST(BackendSelectionTest, SetMeansOnlySimulatedDevices)
{
    ScopedSimulate simulate("devices=2;release=0100;others=1");
    VirtualClock clock;
    NullDiagnostics log;
    std::string error;
    auto backend = CreateHidBackend(clock, log, &error);
    ASSERT_NE(backend, nullptr) << error;
    ASSERT_NE(dynamic_cast<SimulatedBackend*>(backend.get()), nullptr);

    int matching = 0;
    for (const HidDeviceInfo& info : backend->Enumerate()) {
        if (info.vendorId != kDeviceVendorId || info.productId != kDeviceProductId)
            continue;
        ++matching;
        EXPECT_EQ(info.releaseNumber, 0x0100);
    }
    EXPECT_EQ(matching, 2);
}

TEST(BackendSelectionTest, EmptyValueSimulatesDefaults)
{
    ScopedSimulate simulate("");
    VirtualClock clock;
    NullDiagnostics log;
    auto backend = CreateHidBackend(clock, log, nullptr);
    ASSERT_NE(dynamic_cast<SimulatedBackend*>(backend.get()), nullptr);
}

TEST(BackendSelectionTest, UnusableFlashImageIsRefusedAndKept)
{
    const std::filesystem::path dir = MakeTempFolder("kt7-flash");
    std::string image = (dir / "device0.bin").string();
    {
        std::ofstream(image, std::ios::binary) << "short";
    }
    {
        ScopedSimulate simulate(("flash=" + dir.string()).c_str());
        VirtualClock clock;
        NullDiagnostics log;
        std::string error;
        EXPECT_EQ(CreateHidBackend(clock, log, &error), nullptr);
        EXPECT_THAT(error, HasSubstr(kSimulateVariable));
        EXPECT_THAT(error, HasSubstr(image));
    }
    {
        std::ifstream in(image, std::ios::binary);
        std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(content, "short");
    }
    std::filesystem::remove_all(dir);
}

TEST(BackendSelectionTest, SimulationIsAnnouncedAndItsUnsavedFilesAreReported)
{
    VirtualClock clock;
    NullDiagnostics log;
    {
        ScopedSimulate simulate(nullptr);
        EXPECT_FALSE(SimulatedDevicesInUse());
        auto backend = CreateHidBackend(clock, log, nullptr);
        std::string error;
        EXPECT_TRUE(FinishHidBackend(*backend, &error));
        EXPECT_EQ(error, "");
    }
    ScopedSimulate simulate("trace=/dev/full");
    EXPECT_TRUE(SimulatedDevicesInUse());
    std::string error;
    auto backend = CreateHidBackend(clock, log, &error);
    ASSERT_NE(backend, nullptr) << error;
    backend->Enumerate();
    backend->Open("sim/1/kt7-00")->Write(std::vector<uint8_t>(kReportSize).data(), kReportSize, 100);
    EXPECT_FALSE(FinishHidBackend(*backend, &error));
    EXPECT_THAT(error, ::testing::StartsWith(std::string(kSimulateVariable) + ": could not save"));
    EXPECT_THAT(error, HasSubstr("/dev/full"));
}

struct BadSetting {
    const char* name;
    const char* value;
    const char* key;  // the key the error must name
};

class BackendSelectionErrorTest : public ::testing::TestWithParam<BadSetting> {};

TEST_P(BackendSelectionErrorTest, BadSettingIsRefusedNamingTheKey)
{
    ScopedSimulate simulate(GetParam().value);
    VirtualClock clock;
    NullDiagnostics log;
    std::string error;
    EXPECT_EQ(CreateHidBackend(clock, log, &error), nullptr);
    EXPECT_THAT(error, HasSubstr(kSimulateVariable));
    EXPECT_THAT(error, HasSubstr(GetParam().key));
}

INSTANTIATE_TEST_SUITE_P(Cases, BackendSelectionErrorTest,
                         ::testing::Values(BadSetting{"UnknownKey", "devices=1;colour=red", "colour"},
                                           BadSetting{"BadNumber", "devices=many", "devices"},
                                           BadSetting{"TooManyDevices", "devices=65", "devices"},
                                           BadSetting{"BadRelease", "release=XYZW", "release"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
