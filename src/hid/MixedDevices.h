#pragma once
// One run updates every attached device with one package and one command
// set; devices whose release numbers ask for different ones can't share it.

inline constexpr char kMsgMixedDevices[] = "检测到不同型号的设备，请一次只连接同一型号的设备！";

// True when the updater devices attached now (as many as a run opens) would
// need more than one package file or command set. Enumerates only; opens
// nothing.
bool AreMixedDevicesAttached();
