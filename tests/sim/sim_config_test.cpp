#include <gtest/gtest.h>

#include "sim/SimConfig.h"

namespace {

SimConfig Parse(const std::string& text)
{
    SimConfig config;
    std::string error;
    EXPECT_TRUE(ParseSimConfig(text, &config, &error)) << text << ": " << error;
    return config;
}

TEST(SimConfig, EmptyTextGivesDefaults)
{
    SimConfig config = Parse(";; ;");
    EXPECT_EQ(config.devices, 1);
    EXPECT_EQ(config.releases, std::vector<uint16_t>{0x5512});
    EXPECT_EQ(config.others, 0);
    EXPECT_EQ(config.versionText, "B");
    EXPECT_EQ(config.timing, SimTiming::Instant);
    EXPECT_EQ(config.reattachMs, 1500u);
    EXPECT_TRUE(config.flashDir.empty());
    EXPECT_TRUE(config.traceFile.empty());
    EXPECT_TRUE(config.unplug.empty());
    EXPECT_TRUE(config.stall.empty());
    EXPECT_TRUE(config.noReattach.empty());
    EXPECT_TRUE(config.arriveMs.empty());
}

TEST(SimConfig, EveryKeyIsRead)
{
    SimConfig config = Parse(
        " devices=3 ; release=0100,abcd; others=2;version=A107;timing=usb;reattach=250;"
        "flash=/tmp/f;trace=/tmp/t.txt;unplug=0@10,1@20;unplug=2@0;stall=1@5;noreattach=0,2;"
        "badpage=1@3,2@32767;corrupt=0@160,2@768;arrive=0, 2500;drop=1@40;serial=KT7A0001, ,KT7A0003");
    EXPECT_EQ(config.devices, 3);
    EXPECT_EQ(config.releases, (std::vector<uint16_t>{0x0100, 0xABCD}));
    EXPECT_EQ(config.others, 2);
    EXPECT_EQ(config.versionText, "A107");
    EXPECT_EQ(config.timing, SimTiming::Usb);
    EXPECT_EQ(config.reattachMs, 250u);
    EXPECT_EQ(config.flashDir, "/tmp/f");
    EXPECT_EQ(config.traceFile, "/tmp/t.txt");
    ASSERT_EQ(config.unplug.size(), 3u);
    EXPECT_EQ(config.unplug[0].device, 0);
    EXPECT_EQ(config.unplug[0].afterReports, 10u);
    EXPECT_EQ(config.unplug[1].device, 1);
    EXPECT_EQ(config.unplug[1].afterReports, 20u);
    EXPECT_EQ(config.unplug[2].device, 2);
    EXPECT_EQ(config.unplug[2].afterReports, 0u);
    ASSERT_EQ(config.stall.size(), 1u);
    EXPECT_EQ(config.stall[0].device, 1);
    EXPECT_EQ(config.stall[0].afterReports, 5u);
    EXPECT_EQ(config.noReattach, (std::vector<int>{0, 2}));
    ASSERT_EQ(config.drop.size(), 1u);
    EXPECT_EQ(config.drop[0].device, 1);
    EXPECT_EQ(config.drop[0].afterReports, 40u);
    EXPECT_EQ(config.SerialOf(0), "KT7A0001");
    EXPECT_EQ(config.SerialOf(1), "") << "an empty one is none";
    EXPECT_EQ(config.SerialOf(2), "KT7A0003");
    ASSERT_EQ(config.badPages.size(), 2u);
    EXPECT_EQ(config.badPages[0].device, 1);
    EXPECT_EQ(config.badPages[0].page, 3u);
    EXPECT_EQ(config.badPages[1].device, 2);
    EXPECT_EQ(config.badPages[1].page, 32767u);
    ASSERT_EQ(config.corruptPages.size(), 2u);
    EXPECT_EQ(config.corruptPages[0].device, 0);
    EXPECT_EQ(config.corruptPages[0].page, 160u);
    EXPECT_EQ(config.corruptPages[1].device, 2);
    EXPECT_EQ(config.corruptPages[1].page, 768u);
    EXPECT_EQ(Parse("timing=instant").timing, SimTiming::Instant);
}

TEST(SimConfig, ShortReleaseListRepeatsItsLastValue)
{
    SimConfig config = Parse("devices=4;release=0100,0000");
    EXPECT_EQ(config.ReleaseOf(0), 0x0100);
    EXPECT_EQ(config.ReleaseOf(1), 0x0000);
    EXPECT_EQ(config.ReleaseOf(2), 0x0000);
    EXPECT_EQ(config.ReleaseOf(3), 0x0000);
    EXPECT_EQ(Parse("release=0x0100").releases, std::vector<uint16_t>{0x0100});
    EXPECT_EQ(Parse("release=1").releases, std::vector<uint16_t>{0x0001});
}

TEST(SimConfig, DeviceCountBounds)
{
    EXPECT_EQ(Parse("devices=0").devices, 0);
    EXPECT_EQ(Parse("devices=64").devices, 64);
    EXPECT_EQ(Parse("others=64").others, 64);
}

struct BadCase {
    const char* what;
    const char* text;
    const char* key;  // the error must name it
};

class SimConfigRejects : public testing::TestWithParam<BadCase> {};

TEST_P(SimConfigRejects, NamesTheKeyAndChangesNothing)
{
    SimConfig config;
    config.devices = 7;  // a sentinel: a refused text must not touch the result
    std::string error;
    EXPECT_FALSE(ParseSimConfig(GetParam().text, &config, &error));
    EXPECT_NE(error.find(GetParam().key), std::string::npos) << error;
    EXPECT_EQ(config.devices, 7);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SimConfigRejects,
    testing::Values(BadCase{"unknown key", "devices=2;colour=red", "colour"},
                    BadCase{"item without =", "devices", "devices"},
                    BadCase{"one device too many", "devices=65", "devices"},
                    BadCase{"negative count", "devices=-1", "devices"},
                    BadCase{"count not a number", "devices=two", "devices"},
                    BadCase{"empty count", "devices=", "devices"},
                    BadCase{"huge count", "devices=99999999999999999999999", "devices"},
                    BadCase{"too many others", "others=65", "others"},
                    BadCase{"release not hex", "release=55G2", "release"},
                    BadCase{"release of five digits", "release=12345", "release"},
                    BadCase{"empty release in list", "release=0100,", "release"},
                    BadCase{"version over 64 bytes", "version=B12345678901234567890123456789012345678901234567890123456789012345", "version"},
                    BadCase{"unknown timing", "timing=fast", "timing"},
                    BadCase{"reattach not a number", "reattach=1.5s", "reattach"},
                    BadCase{"empty flash directory", "flash=", "flash"},
                    BadCase{"empty trace file", "trace=", "trace"},
                    BadCase{"unplug without @", "unplug=0", "unplug"},
                    BadCase{"unplug with no count", "unplug=0@", "unplug"},
                    BadCase{"unplug of a missing device", "devices=2;unplug=2@5", "unplug"},
                    BadCase{"stall of a missing device", "stall=1@5", "stall"},
                    BadCase{"drop of a missing device", "devices=2;drop=2@5", "drop"},
                    BadCase{"serial of a missing device", "devices=1;serial=A,B", "serial"},
                    BadCase{"serial over 32 bytes", "serial=123456789012345678901234567890123", "serial"},
                    BadCase{"stall badly formed", "stall=a@b", "stall"},
                    BadCase{"noreattach of a missing device", "devices=1;noreattach=0,1", "noreattach"},
                    BadCase{"noreattach not a number", "noreattach=x", "noreattach"},
                    BadCase{"badpage past the flash", "badpage=0@32768", "badpage"},
                    BadCase{"badpage without a page", "badpage=0", "badpage"},
                    BadCase{"badpage of a missing device", "badpage=1@3", "badpage"},
                    BadCase{"corrupt past the flash", "corrupt=0@32768", "corrupt"},
                    BadCase{"corrupt without a page", "corrupt=0", "corrupt"},
                    BadCase{"corrupt of a missing device", "devices=2;corrupt=2@256", "corrupt"},
                    BadCase{"arrival of a missing device", "devices=2;arrive=0,10,20", "arrive"},
                    BadCase{"arrival not a number", "arrive=soon", "arrive"},
                    BadCase{"arrival past a day", "arrive=86400001", "arrive"},
                    BadCase{"empty arrival in list", "devices=2;arrive=10,", "arrive"}),
    [](const testing::TestParamInfo<BadCase>& info) {
        std::string name = info.param.what;
        for (char& c : name)
            if (!isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

}  // namespace
