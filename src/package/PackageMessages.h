#pragma once
// The loader's user messages.

inline constexpr char kMsgCannotOpenPackage[] = "打开升级文件失败，请确认！";
inline constexpr char kMsgPackageTooBig[] = "原始升级文件太大，请确认是否正确！";
inline constexpr char kMsgNoMemoryForPackage[] = "原始文件无法得到足够的内存，请重试！";
inline constexpr char kMsgPackageNotFound[] = "无法找到升级文件，请重新下载文件包！";
inline constexpr char kMsgPackageReadError[] = "读取文件数据错误，请重试！";
inline constexpr char kMsgBadPackingInfo[] = "读取文件打包信息出错，请确认！";
inline constexpr char kMsgMapPastFlash[] = "检测到地图文件超出FLASH空间！";
inline constexpr char kMsgNoMemoryForMap[] = "升级文件无法得到足够的内存，请重试！";
