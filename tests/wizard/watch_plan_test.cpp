#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wizard/WatchPlan.h"

namespace {

using Locations = std::vector<std::string>;

// Either an update that ended (finished set) or a listing of the devices present.
struct Step {
    const char* finished;
    Locations present;
    Locations started;  // what the listing starts
    int inProgress;     // afterwards
};

Step List(Locations present, Locations started, int inProgress)
{
    return {nullptr, std::move(present), std::move(started), inProgress};
}
Step Done(const char* location, int inProgress)
{
    return {location, {}, {}, inProgress};
}

struct PlanCase {
    const char* what;
    std::vector<Step> steps;
};

class WatchPlanSteps : public testing::TestWithParam<PlanCase> {};

TEST_P(WatchPlanSteps, StartsLeavesAloneAndForgets)
{
    WatchPlan plan;
    int index = 0;
    for (const Step& step : GetParam().steps) {
        SCOPED_TRACE("step " + std::to_string(index++));
        if (step.finished)
            plan.Finished(step.finished);
        else
            EXPECT_EQ(plan.Listed(step.present), step.started);
        EXPECT_EQ(plan.InProgress(), step.inProgress);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WatchPlanSteps,
    testing::Values(
        PlanCase{"a_new_device_starts_once", {List({"1-1"}, {"1-1"}, 1), List({"1-1"}, {}, 1)}},
        PlanCase{"devices_that_come_together_start_together",
                 {List({"1-1", "1-2"}, {"1-1", "1-2"}, 2), List({"1-1", "1-2", "1-3"}, {"1-3"}, 3)}},
        PlanCase{"gone_during_its_own_update_is_not_a_new_device",
                 {List({"1-1"}, {"1-1"}, 1), List({}, {}, 1), List({"1-1"}, {}, 1)}},
        PlanCase{"finished_and_still_plugged_in_is_left_alone",
                 {List({"1-1"}, {"1-1"}, 1), Done("1-1", 0), List({"1-1"}, {}, 0), List({"1-1"}, {}, 0)}},
        PlanCase{"finished_unplugged_and_plugged_again_is_updated_again",
                 {List({"1-1"}, {"1-1"}, 1), Done("1-1", 0), List({}, {}, 0), List({"1-1"}, {"1-1"}, 1)}},
        PlanCase{"finished_while_away_and_back_at_the_next_listing_is_left_alone",
                 {List({"1-1"}, {"1-1"}, 1), List({}, {}, 1), Done("1-1", 0), List({"1-1"}, {}, 0),
                  List({}, {}, 0), List({"1-1"}, {"1-1"}, 1)}},
        PlanCase{"one_device_unplugged_leaves_the_others_alone",
                 {List({"1-1", "1-2"}, {"1-1", "1-2"}, 2), Done("1-1", 1), Done("1-2", 0), List({"1-2"}, {}, 0),
                  List({"1-1", "1-2"}, {"1-1"}, 1)}}),
    [](const testing::TestParamInfo<PlanCase>& info) { return std::string(info.param.what); });

} // namespace
