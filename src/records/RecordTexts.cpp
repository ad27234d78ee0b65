#include "records/RecordTexts.h"

#include "records/DeviceRecord.h"
#include "texts/UserTexts.h"

std::string ResultLabel(std::string_view result)
{
    if (result == kResultSuccess)
        return kRecordSucceeded;
    if (result == kResultFailed)
        return kRecordFailed;
    if (result == kResultStopped)
        return kRecordStopped;
    return std::string(result);
}
