#include <gtest/gtest.h>

#include "texts/UserTexts.h"

namespace {

struct TextCase {
    const char* shows;
    uint32_t ms;
    const char* expected;
};

TEST(EngineTexts, ElapsedTimePicksTheFormThatDropsZeroParts)
{
    const TextCase cases[] = {
        {"nothing", 0, "升级成功，可以断开连接，耗时0秒"},
        {"milliseconds only", 999, "升级成功，可以断开连接，耗时999毫秒"},
        {"whole second", 1000, "升级成功，可以断开连接，耗时1秒"},
        {"seconds and milliseconds", 1500, "升级成功，可以断开连接，耗时1秒500毫秒"},
        {"whole minute", 60000, "升级成功，可以断开连接，耗时1分"},
        {"minute and milliseconds", 60001, "升级成功，可以断开连接，耗时1分1毫秒"},
        {"minute and seconds", 61000, "升级成功，可以断开连接，耗时1分1秒"},
        {"all three parts", 61001, "升级成功，可以断开连接，耗时1分1秒1毫秒"},
        {"an hour and a half stays in minutes", 90 * 60000, "升级成功，可以断开连接，耗时90分"},
        {"largest tick difference", 0xFFFFFFFFu, "升级成功，可以断开连接，耗时71582分47秒295毫秒"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(ElapsedText(c.ms), c.expected) << c.shows;
}

TEST(EngineTexts, EraseEstimateUsesMinutesAndSeconds)
{
    const TextCase cases[] = {
        {"under a second is zero", 999, "正在擦除，预估剩余0秒..."},
        {"seconds", 59999, "正在擦除，预估剩余59秒..."},
        {"whole minute", 60000, "正在擦除，预估剩余1分..."},
        {"minute and seconds", 61000, "正在擦除，预估剩余1分1秒..."},
        {"many minutes", 3723000, "正在擦除，预估剩余62分3秒..."},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(EraseEstimateText(c.ms), c.expected) << c.shows;
}

TEST(EngineTexts, PercentEstimateCarriesThePercent)
{
    const TextCase cases[] = {
        {"zero form", 999, "100%完成，预估剩余0秒..."},
        {"seconds", 59999, "100%完成，预估剩余59秒..."},
        {"minutes only", 60000, "100%完成，预估剩余1分..."},
        {"minutes and seconds", 61000, "100%完成，预估剩余1分1秒..."},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(PercentEstimateText(100, c.ms), c.expected) << c.shows;
    EXPECT_EQ(PercentEstimateText(7, 0), "7%完成，预估剩余0秒...");
}

TEST(EngineTexts, AreaLabelsAndAreaMessages)
{
    EXPECT_EQ(AreaLabel(2, 1), "Device:2,Area:1 ");
    EXPECT_EQ(AreaLabel(1, 3), "Device:1,Area:3 ");
    EXPECT_EQ(AreaEraseFailedMessage(1), "区域1数据擦除失败，请检查USB连接！");
    EXPECT_EQ(AreaWriteFailedMessage(3), "区域3数据写入失败，请检查USB连接！");
}

}  // namespace
