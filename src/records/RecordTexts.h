#pragma once
// The texts of the records' table, CSV and counts, in the program's
// language, in one place.

#include <string>
#include <string_view>

inline constexpr char kHeadingTime[] = "时间";
inline constexpr char kHeadingUtcTime[] = "UTC时间";
inline constexpr char kHeadingStation[] = "工位";
inline constexpr char kHeadingLocation[] = "位置";
inline constexpr char kHeadingSerial[] = "序列号";
inline constexpr char kHeadingRelease[] = "版本";
inline constexpr char kHeadingPackage[] = "升级文件";
inline constexpr char kHeadingSha256[] = "SHA-256";
inline constexpr char kHeadingFirmwareVersion[] = "主程序版本";
inline constexpr char kHeadingVoiceVersion[] = "语音版本";
inline constexpr char kHeadingDataVersion[] = "数据版本";
inline constexpr char kHeadingUpdateTime[] = "升级文件日期";
inline constexpr char kHeadingVerify[] = "读回校验";
inline constexpr char kHeadingResult[] = "结果";
inline constexpr char kHeadingExitCode[] = "退出码";
inline constexpr char kHeadingMessage[] = "原因";
inline constexpr char kHeadingDuration[] = "耗时";
inline constexpr char kHeadingDurationMs[] = "耗时(毫秒)";
inline constexpr char kHeadingAttempt[] = "次数";

inline constexpr char kYes[] = "是";
inline constexpr char kNo[] = "否";

// "成功", "失败", "中止"; a keyword this version does not know, as it is.
std::string ResultLabel(std::string_view result);

// "共 5 条：" and "成功 3" of the counts.
std::string TotalText(int count);
std::string ResultCountText(std::string_view result, int count);
