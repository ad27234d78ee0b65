#pragma once
// The loader's user messages, and those of the package checks.

inline constexpr char kMsgCannotOpenPackage[] = "打开升级文件失败，请确认！";
inline constexpr char kMsgPackageTooBig[] = "原始升级文件太大，请确认是否正确！";
inline constexpr char kMsgNoMemoryForPackage[] = "原始文件无法得到足够的内存，请重试！";
inline constexpr char kMsgPackageNotFound[] = "无法找到升级文件，请重新下载文件包！";
inline constexpr char kMsgPackageReadError[] = "读取文件数据错误，请重试！";
inline constexpr char kMsgBadPackingInfo[] = "读取文件打包信息出错，请确认！";
inline constexpr char kMsgMapPastFlash[] = "检测到地图文件超出FLASH空间！";
inline constexpr char kMsgNoMemoryForMap[] = "升级文件无法得到足够的内存，请重试！";

// Package checks.
inline constexpr char kMsgPayloadTooLarge[] = "写入文件太大，超出FLASH空间！";
inline constexpr char kMsgPayloadTooSmall[] = "文件参数错误，必须大于128字节！";
inline constexpr char kMsgPayloadNotAligned[] = "文件参数错误，必须是256字节对齐！";
inline constexpr char kMsgMainSizeBad[] = "主程序读取参数错误！";
inline constexpr char kMsgVoiceSizeBad[] = "声音读取参数错误！";
inline constexpr char kMsgMapSizeBad[] = "数据读取参数错误！";
inline constexpr char kMsgAddressBad[] = "读取文件地址错误！";
inline constexpr char kMsgMainMissing[] = "必须升级主程序！";
inline constexpr char kMsgMainCheckFailed[] = "校验区域3数据失败!";
inline constexpr char kMsgVoiceCheckFailed[] = "校验区域2数据失败!";
inline constexpr char kMsgMapCheckFailed[] = "校验区域1数据失败!";
