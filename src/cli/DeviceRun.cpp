#include "cli/DeviceRun.h"

std::vector<UpdateOutcome> OutcomesOf(const std::vector<DeviceRun>& attempts)
{
    std::vector<UpdateOutcome> outcomes;
    for (size_t i = 0; i < attempts.size(); ++i) {
        const bool last = i + 1 == attempts.size() || attempts[i + 1].attempt == 1;
        if (last)
            outcomes.push_back(attempts[i].outcome);
    }
    return outcomes;
}
