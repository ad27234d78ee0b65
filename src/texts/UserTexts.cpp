#include "texts/UserTexts.h"

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

}  // namespace

std::string MixedDevicesText(const std::string& kindsList)
{
    return std::string(kMsgMixedDevices) + "\n" + "连接的设备：" + kindsList;
}

std::string DeviceKindText(const std::string& release, const std::string& packageFile)
{
    return "版本号 " + release + "（升级文件 " + packageFile + "）";
}

std::string KindChangedText(const std::string& path)
{
    return "连接的设备需要另一个升级文件，已改为载入：\n" + path + "\n请核对升级文件信息后，再点击下一步。";
}

std::string FailureWhereText(const std::string& location, const std::string& cause)
{
    return "设备 " + location + "：" + cause;
}

std::string FailedOnDeviceText(const std::string& location)
{
    return std::string(kUpdateFailedText) + "（设备 " + location + "）";
}

std::string AreaLabel(int deviceCount, int areaNumber)
{
    return Format("Device:%d,Area:%d ", deviceCount, areaNumber);
}

std::string RemainingTimeText(uint32_t remainMs)
{
    const uint32_t s = remainMs / 1000;
    const std::string parts = Part(s / 60, "分") + Part(s % 60, "秒");
    return parts.empty() ? "0秒" : parts;
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
    return "正在擦除，预估剩余" + RemainingTimeText(remainMs) + "...";
}

std::string PercentEstimateText(int percent, uint32_t remainMs)
{
    return Format("%d%%完成，预估剩余", percent) + RemainingTimeText(remainMs) + "...";
}

std::string AreaEraseFailedMessage(int areaNumber)
{
    return Format("区域%d数据擦除失败，请检查USB连接！", areaNumber);
}

std::string AreaWriteFailedMessage(int areaNumber)
{
    return Format("区域%d数据写入失败，请检查USB连接！", areaNumber);
}

std::string DeviceSpecificFileText(const std::string& releaseText)
{
    return "（版本号为 " + releaseText + " 的设备只用这个专用的升级文件）";
}

std::string DevicePermissionText(const std::string& deniedPaths, const std::string& rulePath,
                                 const std::string& installCommand)
{
    return "没有打开设备 " + deniedPaths + " 的权限：请安装 udev 规则 " + rulePath + "，然后重新插上设备。安装命令：" +
           installCommand;
}

std::string StoppedByText(const std::string& location)
{
    return "未完成：" + location + " 的设备失败，升级已停止";
}

std::string FailedWithCodeText(int exitCode)
{
    return std::string(kResultFailed) + " (" + std::to_string(exitCode) + ")";
}

std::string FlashUsingPackageText(const std::string& fileName, const std::string& path)
{
    return "kt7-flash: the devices attached now take " + fileName + "; using " + path;
}
