#include "engine/EngineTexts.h"

#include <cstdarg>
#include <cstdio>

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...)
{
    char buffer[256];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length < 0)
        return {};
    return std::string(buffer, static_cast<size_t>(length) < sizeof buffer ? length : sizeof buffer - 1);
}

// "<value><unit>", or nothing for a zero part: the time texts leave out the
// parts that are zero.
std::string Part(uint32_t value, const char* unit)
{
    return value > 0 ? std::to_string(value) + unit : std::string();
}

// The time left as the estimate texts put it: minutes and seconds, "0秒"
// when both are zero.
std::string RemainingTime(uint32_t remainMs)
{
    const uint32_t s = remainMs / 1000;
    const std::string parts = Part(s / 60, "分") + Part(s % 60, "秒");
    return parts.empty() ? "0秒" : parts;
}

}  // namespace

std::string AreaEraseFailedMessage(int areaNumber)
{
    return Format("区域%d数据擦除失败，请检查USB连接！", areaNumber);
}

std::string AreaWriteFailedMessage(int areaNumber)
{
    return Format("区域%d数据写入失败，请检查USB连接！", areaNumber);
}

std::string AreaLabel(int deviceCount, int areaNumber)
{
    return Format("Device:%d,Area:%d ", deviceCount, areaNumber);
}

std::string ElapsedText(uint32_t elapsedMs)
{
    // Runs of an hour or more stay in minutes.
    const std::string parts =
        Part(elapsedMs / 60000, "分") + Part(elapsedMs / 1000 % 60, "秒") + Part(elapsedMs % 1000, "毫秒");
    return "升级成功，可以断开连接，耗时" + (parts.empty() ? "0秒" : parts);
}

std::string EraseEstimateText(uint32_t remainMs)
{
    return "正在擦除，预估剩余" + RemainingTime(remainMs) + "...";
}

std::string PercentEstimateText(int percent, uint32_t remainMs)
{
    return Format("%d%%完成，预估剩余", percent) + RemainingTime(remainMs) + "...";
}
