#include "cli/DeviceRun.h"

std::vector<UpdateOutcome> OutcomesOf(const std::vector<DeviceRun>& runs)
{
    std::vector<UpdateOutcome> outcomes;
    for (const DeviceRun& run : runs)
        outcomes.push_back(run.outcome);
    return outcomes;
}
