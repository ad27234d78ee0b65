#include "cli/DeviceRun.h"

#include "texts/UserTexts.h"

std::vector<UpdateOutcome> OutcomesOf(const std::vector<DeviceRun>& runs)
{
    std::vector<UpdateOutcome> outcomes;
    for (const DeviceRun& run : runs)
        outcomes.push_back(run.outcome);
    return outcomes;
}

std::string ResultText(UpdateOutcome outcome)
{
    return outcome == UpdateOutcome::Success ? kResultUpdated : FailedWithCodeText(ExitCodeOf(outcome));
}
