#include "cli/DeviceRun.h"

#include "texts/UserTexts.h"

std::string ResultText(UpdateOutcome outcome)
{
    return outcome == UpdateOutcome::Success ? kResultUpdated : FailedWithCodeText(ExitCodeOf(outcome));
}
