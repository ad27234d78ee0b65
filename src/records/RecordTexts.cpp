#include "records/RecordTexts.h"

#include "records/DeviceRecord.h"

std::string ResultLabel(std::string_view result)
{
    if (result == kResultSuccess)
        return "成功";
    if (result == kResultFailed)
        return "失败";
    if (result == kResultStopped)
        return "中止";
    return std::string(result);
}

std::string TotalText(int count)
{
    return "共 " + std::to_string(count) + " 条：";
}

std::string ResultCountText(std::string_view result, int count)
{
    return ResultLabel(result) + " " + std::to_string(count);
}
