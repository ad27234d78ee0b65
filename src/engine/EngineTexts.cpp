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
    const int min = static_cast<int>(elapsedMs / 60000);
    const int sec = static_cast<int>(elapsedMs / 1000 % 60);
    const int ms = static_cast<int>(elapsedMs % 1000);
    if (min > 0) {
        if (sec > 0 && ms > 0)
            return Format("升级成功，可以断开连接，耗时%d分%d秒%d毫秒", min, sec, ms);
        if (sec > 0)
            return Format("升级成功，可以断开连接，耗时%d分%d秒", min, sec);
        if (ms > 0)
            return Format("升级成功，可以断开连接，耗时%d分%d毫秒", min, ms);
        return Format("升级成功，可以断开连接，耗时%d分", min);
    }
    if (sec > 0 && ms > 0)
        return Format("升级成功，可以断开连接，耗时%d秒%d毫秒", sec, ms);
    if (sec > 0)
        return Format("升级成功，可以断开连接，耗时%d秒", sec);
    if (ms > 0)
        return Format("升级成功，可以断开连接，耗时%d毫秒", ms);
    return "升级成功，可以断开连接，耗时0秒";
}

std::string EraseEstimateText(uint32_t remainMs)
{
    const uint32_t s = remainMs / 1000;
    const int m = static_cast<int>(s / 60);
    const int r = static_cast<int>(s % 60);
    if (m > 0 && r > 0)
        return Format("正在擦除，预估剩余%d分%d秒...", m, r);
    if (m > 0)
        return Format("正在擦除，预估剩余%d分...", m);
    if (r > 0)
        return Format("正在擦除，预估剩余%d秒...", r);
    return "正在擦除，预估剩余0秒...";
}

std::string PercentEstimateText(int percent, uint32_t remainMs)
{
    const uint32_t s = remainMs / 1000;
    const int m = static_cast<int>(s / 60);
    const int r = static_cast<int>(s % 60);
    if (m > 0 && r > 0)
        return Format("%d%%完成，预估剩余%d分%d秒...", percent, m, r);
    if (m > 0)
        return Format("%d%%完成，预估剩余%d分...", percent, m);
    if (r > 0)
        return Format("%d%%完成，预估剩余%d秒...", percent, r);
    return Format("%d%%完成，预估剩余0秒...", percent);
}
