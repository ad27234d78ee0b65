#pragma once
// Every text the update engine shows: status and area lines, elapsed-time and
// remaining-time texts, and the message boxes. UTF-8.

#include <cstdint>
#include <string>

inline constexpr char kStatusPrefix[] = "全国版数据：";
inline constexpr char kUpdateFailedText[] = "升级失败，请重新连接USB设备并升级";
// Ends a failed run's last message, followed by the log file's path.
inline constexpr char kSeeLogText[] = "详细信息见日志：";

// Update run.
inline constexpr char kMsgCannotOpenDevice[] = "无法打开USB设备！";
inline constexpr char kMsgResetNotSent[] = "无法发送复位命令，请检查USB连接！";
inline constexpr char kMsgDevicesNotBack[] = "无法连接USB，请检查USB连接！";
inline constexpr char kMsgCheckCodeEraseFailed[] = "效验码擦除失败，请检查USB连接！";
inline constexpr char kMsgCheckCodeWriteFailed[] = "校验码写入失败，请检查USB连接！";
inline constexpr char kMsgDescriptorEraseFailed[] = "擦除失败，请检查USB连接！";
inline constexpr char kMsgDescriptorWriteFailed[] = "写入失败，请检查USB连接！";
inline constexpr char kMsgEndNotSent[] = "发送结束命令失败！";

// Areas are numbered in programming order: 1 map, 2 voice, 3 main program.
std::string AreaEraseFailedMessage(int areaNumber);  // "区域%d数据擦除失败，请检查USB连接！"
std::string AreaWriteFailedMessage(int areaNumber);  // "区域%d数据写入失败，请检查USB连接！"
std::string AreaLabel(int deviceCount, int areaNumber);  // "Device:%d,Area:%d "

// The success text with the time the run took.
std::string ElapsedText(uint32_t elapsedMs);
// "正在擦除，预估剩余..." for the estimate left.
std::string EraseEstimateText(uint32_t remainMs);
// "%d%%完成，预估剩余..." for the percent and the estimate left.
std::string PercentEstimateText(int percent, uint32_t remainMs);
