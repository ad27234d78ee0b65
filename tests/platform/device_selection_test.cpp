#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/DeviceSelection.h"
#include "support/FakeHidBackend.h"

namespace {

std::vector<std::string> Locations(const std::vector<HidDeviceInfo>& devices)
{
    std::vector<std::string> locations;
    for (const HidDeviceInfo& device : devices)
        locations.push_back(device.location);
    return locations;
}

// Fake devices sit at their path.
TEST(DeviceSelection, ListsOnlyTheChosenLocationsInTheBackendsOrder)
{
    struct Case {
        const char* what;
        std::vector<std::string> chosen;
        std::vector<std::string> listed;
        std::vector<std::string> missing;
    };
    const Case cases[] = {
        {"one of three", {"1-2"}, {"1-2"}, {}},
        {"order of the backend, not of the options", {"1-3", "1-1"}, {"1-1", "1-3"}, {}},
        {"a location with no device", {"1-2", "2-9"}, {"1-2"}, {"2-9"}},
        {"each missing one once", {"2-9", "2-9", "3-1"}, {}, {"2-9", "3-1"}},
        {"a port path prefix is not the port", {"1"}, {}, {"1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeHidBackend backend;
        for (const char* location : {"1-1", "1-2", "1-3"})
            backend.AddMatchingDevice(location);
        DeviceSelectionBackend selection(backend, c.chosen);
        const std::vector<HidDeviceInfo> listed = selection.Enumerate();
        EXPECT_EQ(Locations(listed), c.listed);
        EXPECT_EQ(MissingLocations(listed, c.chosen), c.missing);
    }
}

TEST(DeviceSelection, OpensThroughTheBackend)
{
    FakeHidBackend backend;
    backend.AddMatchingDevice("1-1");
    backend.AddMatchingDevice("1-2");
    DeviceSelectionBackend selection(backend, {"1-2"});
    EXPECT_NE(selection.Open("1-2"), nullptr);
    EXPECT_EQ(backend.OpenCount("1-2"), 1);
    EXPECT_EQ(backend.OpenCount("1-1"), 0);
}

} // namespace
