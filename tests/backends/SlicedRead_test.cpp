#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "backends/SlicedRead.h"

namespace {

struct SliceCase {
    const char* name;
    int answerAt;   // slice that delivers 64 bytes, -1: never
    int failAt;     // slice whose read fails, -1: never
    int goneAfter;  // the node disappears after this many slices, -1: never
    uint32_t timeoutMs;
    int expectedResult;
    std::vector<uint32_t> expectedSlices;
};

const SliceCase kCases[] = {
    {"QuietDeviceTimesOutAfterTheWholeBound", -1, -1, -1, 1200, 0, {500, 500, 200}},
    {"AnswerEndsTheWait", 1, -1, -1, 5000, 64, {500, 500}},
    {"VanishedNodeFailsWithoutWaitingOut", -1, -1, 2, 60000, -1, {500, 500}},
    {"ReadErrorFailsAtOnce", -1, 0, -1, 5000, -1, {500}},
    {"ZeroBoundPollsOnce", -1, -1, -1, 0, 0, {0}},
};

class SlicedReadTest : public ::testing::TestWithParam<SliceCase> {};

TEST_P(SlicedReadTest, EndsAsExpected)
{
    const SliceCase& c = GetParam();
    std::vector<uint32_t> slices;
    auto readSlice = [&](uint32_t ms) {
        int index = static_cast<int>(slices.size());
        slices.push_back(ms);
        if (index == c.failAt)
            return -1;
        return index == c.answerAt ? 64 : 0;
    };
    auto nodeExists = [&] { return c.goneAfter < 0 || static_cast<int>(slices.size()) < c.goneAfter; };

    EXPECT_EQ(ReadInSlices(readSlice, nodeExists, c.timeoutMs, 500), c.expectedResult);
    EXPECT_EQ(slices, c.expectedSlices);
}

INSTANTIATE_TEST_SUITE_P(Cases, SlicedReadTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
