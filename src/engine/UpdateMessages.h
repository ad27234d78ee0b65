#pragma once
// The messages the wizard and kt7-flash both show around the update run,
// kept once so that the two say the same. UTF-8.

// No device attached when the update starts.
inline constexpr char kMsgDeviceNotFound[] =
    "无法找到设备，请确认：\n\n"
    "  1)USB线是否正常连接电脑和设备；\n\n"
    "  2)设备连接到电脑请等待2~3秒，待电脑识别到USB设备后，再升级；\n\n"
    "  3)如果还未识别请断开USB，再次连接，等待数秒后重试。";
// Before the devices are touched.
inline constexpr char kMsgDoNotDisturb[] = "升级过程中请勿移动电子狗或USB连接线！";
// The boot-loader refresh was refused or failed.
inline constexpr char kMsgBootloaderFailed[] = "Failed to update in bootloader!";
// Devices whose release numbers ask for different packages or command sets.
inline constexpr char kMsgMixedDevices[] = "检测到不同型号的设备，请一次只连接同一型号的设备！";
// The start found no device to ask which package it takes.
inline constexpr char kMsgConnectDevice[] = "请确认已连接设备！";
