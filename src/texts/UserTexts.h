#pragma once
// Every text the program shows its user, in one table: the updater's own
// fixed messages exactly as they have always read, and the texts added
// beside them. A translation translates this file and UserTexts.cpp. UTF-8.

#include <cstdint>
#include <string>
#include <vector>

// --- The wizard's pages ---------------------------------------------------
inline constexpr char kPageCaption[] = "预警仪升级工具（适用KT7.0方案）";
inline constexpr char kSimulatedCaptionSuffix[] = " [模拟设备]";
inline constexpr char kNextButton[] = "下一步(&N)";
inline constexpr char kCancelButton[] = "取消(&C)";
inline constexpr char kExitButton[] = "退出(&E)";
inline constexpr char kConnectInstruction[] = "请用USB数据线连接电脑和设备，点击下一步";
inline constexpr char kWelcomeLine[] = "欢迎使用预警仪升级工具";
inline constexpr char kProgressTitle[] = "下载进度";
inline constexpr char kPackagePathPrefix[] = "升级文件：";
// The package's SHA-256 below its path: "SHA-256：3b5c9f0e12a4…" and, in the
// tooltip, all of it.
std::string FingerprintLine(const std::string& sha256);
std::string FingerprintWhole(const std::string& sha256);
inline constexpr char kFileDialogTitle[] = "选择升级文件";
inline constexpr char kFileDialogFilter[] = "升级文件 (KT7_Down*.dat)";
inline constexpr char kFileDialogFilterName[] = "升级文件";

// --- Messages around the update --------------------------------------------
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
// The start found no device to ask which package it takes.
inline constexpr char kMsgConnectDevice[] = "请确认已连接设备！";
// Another update holds the devices.
inline constexpr char kMsgAnotherUpdateRunning[] = "另一个升级程序正在运行，请等它结束后再试！";
// Devices whose release numbers ask for different packages or command sets.
inline constexpr char kMsgMixedDevices[] = "检测到不同型号的设备，请一次只连接同一型号的设备！";

// The devices' kinds when they differ: "版本号 5512（升级文件 KT7_Down.dat）、
// 版本号 0100（升级文件 KT7_Down0100.dat）".
std::string MixedDevicesText(const std::string& kindsList);
std::string DeviceKindText(const std::string& release, const std::string& packageFile);
// Devices plugged in since the package was chosen take another package,
// which is now loaded and shown before anything is written.
std::string KindChangedText(const std::string& path);
// A failure box's second line: where and why.
std::string FailureWhereText(const std::string& location, const std::string& cause);
// The end status of a failed run names the device it failed on.
std::string FailedOnDeviceText(const std::string& location);

// Causes of a device's failure, for that second line.
inline constexpr char kCauseNoDevice[] = "未找到设备";
inline constexpr char kCauseDevicesChanged[] = "设备数量发生了变化";
inline constexpr char kCauseNotOpened[] = "无法打开设备";
inline constexpr char kCauseNotSent[] = "无法向设备发送数据";
inline constexpr char kCauseNoAnswer[] = "设备没有应答";
inline constexpr char kCauseShortAnswer[] = "设备的应答不完整";
inline constexpr char kCauseReadFailed[] = "无法读取设备的应答";
inline constexpr char kCauseDeviceGone[] = "设备已断开连接";
inline constexpr char kCauseDiffers[] = "读回的数据与写入的不同";
inline constexpr char kCauseUnrecognised[] = "设备的应答无法识别";
inline constexpr char kCauseOutsideFlash[] = "超出FLASH空间";

// --- The progress page's lines ---------------------------------------------
inline constexpr char kStatusPrefix[] = "全国版数据：";
inline constexpr char kUpdateFailedText[] = "升级失败，请重新连接USB设备并升级";
// Names the log after a failure, followed by its path.
inline constexpr char kSeeLogText[] = "详细信息见日志：";
// While the devices' boot loaders are checked, and while one is rewritten.
inline constexpr char kCheckingBootloaderText[] = "检查设备引导程序…";
inline constexpr char kRefreshingBootloaderText[] = "正在更新设备引导程序，请勿断开连接…";
// While the devices reset and come back.
inline constexpr char kWaitingForDevicesText[] = "等待设备重新连接…";

// Areas are numbered in programming order: 1 map, 2 voice, 3 main program.
std::string AreaLabel(int deviceCount, int areaNumber);  // "Device:%d,Area:%d "
// The success text with the time the run took.
std::string ElapsedText(uint32_t elapsedMs);
// A time taken, as the success text gives it: "1分2秒345毫秒", "17秒3毫秒",
// "0秒". The terminal's tables and lines give a device's time so too.
std::string DurationText(uint32_t ms);
// "正在擦除，预估剩余..." for the estimate left.
std::string EraseEstimateText(uint32_t remainMs);
// "%d%%完成，预估剩余..." for the percent and the estimate left.
std::string PercentEstimateText(int percent, uint32_t remainMs);
// The status texts' own way of giving a time: "1分5秒", "0秒".
std::string RemainingTimeText(uint32_t remainMs);

// --- The update run's message boxes ------------------------------------------
inline constexpr char kMsgCannotOpenDevice[] = "无法打开USB设备！";
inline constexpr char kMsgResetNotSent[] = "无法发送复位命令，请检查USB连接！";
inline constexpr char kMsgDevicesNotBack[] = "无法连接USB，请检查USB连接！";
inline constexpr char kMsgCheckCodeEraseFailed[] = "效验码擦除失败，请检查USB连接！";
inline constexpr char kMsgCheckCodeWriteFailed[] = "校验码写入失败，请检查USB连接！";
inline constexpr char kMsgDescriptorEraseFailed[] = "擦除失败，请检查USB连接！";
inline constexpr char kMsgDescriptorWriteFailed[] = "写入失败，请检查USB连接！";
inline constexpr char kMsgEndNotSent[] = "发送结束命令失败！";
std::string AreaEraseFailedMessage(int areaNumber);  // "区域%d数据擦除失败，请检查USB连接！"
std::string AreaWriteFailedMessage(int areaNumber);  // "区域%d数据写入失败，请检查USB连接！"

// --- The package loader's messages, and those of the package checks ---------
inline constexpr char kMsgCannotOpenPackage[] = "打开升级文件失败，请确认！";
inline constexpr char kMsgPackageTooBig[] = "原始升级文件太大，请确认是否正确！";
inline constexpr char kMsgNoMemoryForPackage[] = "原始文件无法得到足够的内存，请重试！";
inline constexpr char kMsgPackageNotFound[] = "无法找到升级文件，请重新下载文件包！";
inline constexpr char kMsgPackageReadError[] = "读取文件数据错误，请重试！";
inline constexpr char kMsgBadPackingInfo[] = "读取文件打包信息出错，请确认！";
inline constexpr char kMsgMapPastFlash[] = "检测到地图文件超出FLASH空间！";
inline constexpr char kMsgNoMemoryForMap[] = "升级文件无法得到足够的内存，请重试！";
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
// What is wrong with the file, after its path on the message's second line.
inline constexpr char kFileNotFound[] = "找不到该文件";
inline constexpr char kFileNotRegular[] = "不是普通文件，请选择升级文件本身";
inline constexpr char kFilePermissionDenied[] = "没有读取该文件的权限";
inline constexpr char kFileUnreadable[] = "读取该文件时出错";
inline constexpr char kFileTooBig[] = "文件太大，不是升级文件";
inline constexpr char kFileTooShort[] = "文件太短，已损坏，请重新下载升级文件";
inline constexpr char kFileDamaged[] = "文件已损坏，请重新下载升级文件";
inline constexpr char kFileNoMemory[] = "内存不足";
// "（版本号为 0100 的设备只用这个专用的升级文件）"
std::string DeviceSpecificFileText(const std::string& releaseText);

// --- Device access ----------------------------------------------------------
// Which devices this user may not open, the rule that grants access, and the
// command that installs it.
std::string DevicePermissionText(const std::string& deniedPaths, const std::string& rulePath,
                                 const std::string& installCommand);

// --- Results, in the terminal and the records -------------------------------
inline constexpr char kResultUpdated[] = "升级成功";
inline constexpr char kFailedResultText[] = "升级失败";
// "未完成：sim-1 的设备失败，升级已停止"
std::string StoppedByText(const std::string& location);
// "升级失败 (4)" with the ending's exit code.
std::string FailedWithCodeText(int exitCode);
// A device's result where each device has an ending of its own (--parallel,
// --watch): "升级成功" for exit code 0, else "升级失败 (4)".
std::string ResultText(int exitCode);
// A device's result where the run's message says why: "升级失败：<message>",
// or "升级失败" without one.
std::string FailedBecauseText(const std::string& message);
// The headings of the table of results after --parallel and --watch.
inline constexpr char kTableLocation[] = "位置";
inline constexpr char kTableRelease[] = "版本号";
inline constexpr char kTablePackage[] = "升级文件";
inline constexpr char kTableResult[] = "结果";
inline constexpr char kTableTime[] = "耗时";
inline constexpr char kTableSerial[] = "序列号";
inline constexpr char kTableAttempt[] = "次数";

// --- Records of device updates ----------------------------------------------
// The update ran, but its record could not be written (a full disk, a
// folder without rights).
std::string RecordsNotKeptText(const std::string& reason);
// Its reason when the system gives the records file no place.
extern const char kNoRecordsPlaceText[];
// The records as a table and as CSV: the results table's headings where they
// say the same, and these.
inline constexpr char kRecordTime[] = "时间";
inline constexpr char kRecordUtcTime[] = "UTC时间";
inline constexpr char kRecordStation[] = "工位";
inline constexpr char kRecordSha256[] = "SHA-256";
inline constexpr char kRecordFirmwareVersion[] = "主程序版本";
inline constexpr char kRecordVoiceVersion[] = "语音版本";
inline constexpr char kRecordDataVersion[] = "数据版本";
inline constexpr char kRecordUpdateTime[] = "升级文件日期";
inline constexpr char kRecordVerify[] = "读回校验";
inline constexpr char kRecordExitCode[] = "退出码";
inline constexpr char kRecordMessage[] = "原因";
inline constexpr char kRecordDurationMs[] = "耗时(毫秒)";
inline constexpr char kYes[] = "是";
inline constexpr char kNo[] = "否";
// A record's result: "成功", "失败", "中止".
inline constexpr char kRecordSucceeded[] = "成功";
inline constexpr char kRecordFailed[] = "失败";
inline constexpr char kRecordStopped[] = "中止";
// The counts below the table: "共 5 条：" and "成功 3".
std::string RecordTotalText(int count);
std::string RecordCountText(const std::string& resultLabel, int count);

// --- kt7-flash's own notices (English, like its options) -------------------
// Every line keeps within 77 columns: on an 80-column terminal the "^C" that
// the terminal echoes stands before the first one.
// The update in step keeps its progress line open: the notice starts below it.
inline constexpr char kFlashInterruptNotice[] =
    "\nkt7-flash: the update is being finished; interrupting it now would leave\n"
    "the device half-written.\n";
// --parallel prints it above the devices' rows, as a line of its own.
inline constexpr char kFlashInterruptNoticeDevices[] =
    "kt7-flash: the update is being finished; interrupting it now would leave\n"
    "the devices half-written.";
// --watch: when it starts, when Ctrl-C comes while devices are being
// updated, and the count below the rows ("3 updated, 1 failed, 1 in progress").
inline constexpr char kFlashWatchingText[] =
    "kt7-flash: updating each device as it is plugged in; Ctrl-C ends the watch.";
inline constexpr char kFlashWatchStoppingNotice[] =
    "kt7-flash: the watch ends once the devices being updated are done;\n"
    "no new device is started. Stopping them now would leave them half-written.";
std::string WatchCountText(int updated, int failed, int inProgress);
// --retry, after a device's failed attempt: "failed; trying again (attempt 2
// of 3) once the device is there", or that it did not come back in time.
std::string FlashRetryText(int nextAttempt, int attempts);
std::string FlashNotBackText(uint32_t waitedMs);
// The watch's line of a device done, after its result: " (attempt 2)".
std::string FlashAttemptText(int attempt);
// kt7-flash records with nothing to show: "No records in <file>." or
// "No records since 2026-12-10 in <file>."
std::string FlashNoRecordsText(const std::string& path, const std::string& sinceDate);
// kt7-flash --help: every option, the exit codes, and where the installed
// documentation is.
extern const char kFlashHelpText[];
inline constexpr char kWizardInterruptNotice[] =
    "kt7-updater: the update is being finished; interrupting it now would leave\n"
    "the device half-written.\n";
// The devices attached when the update began take another package than the
// one first loaded: "kt7-flash: the devices attached now take
// KT7_Down0100.dat; using /path/KT7_Down0100.dat".
std::string FlashUsingPackageText(const std::string& fileName, const std::string& path);
inline constexpr char kFlashSimulatedNotice[] =
    "kt7-flash: simulated devices [模拟设备] (KT7_SIMULATE); no real device is used";

// --- kt7-flash --expect-sha256 and status (English, like its options) -------
// A package whose SHA-256 is none of those given with --expect-sha256: the
// file, its SHA-256, those expected, and what to do.
std::string UnexpectedPackageText(const std::string& path, const std::string& sha256,
                                  const std::vector<std::string>& expected);
// info's line for the package's SHA-256, whole.
std::string InfoSha256Line(const std::string& sha256);
// info's last line for a package that passes its checks but is refused by
// --expect-sha256 (the refusal's message follows on standard error).
inline constexpr char kInfoPassesButNotExpected[] =
    "The package passes every check, but it is not the one --expect-sha256 names.";
// status: what one device holds, after its location and release number.
// "holds KT7_Down.dat"
std::string StatusThisPackageText(const std::string& packageFile);
// "holds another package, not KT7_Down.dat (differs in the main program
// length and sum, the map sum)"; `differences` as AreaDifferenceText gives them.
std::string StatusOtherPackageText(const std::string& packageFile, const std::vector<std::string>& differences);
// "the main program length and sum", "the map sum": one area's values that
// differ; `area` 0 main program, 1 voice, 2 map.
std::string AreaDifferenceText(int area, bool length, bool sum);
// "holds KT7_Down.dat's control blocks, but the voice area differs from the
// package's at its first or last page; update it again"; `areas` as
// AreaText gives them.
std::string StatusPackageInPartText(const std::string& packageFile, const std::vector<std::string>& areas);
// "the main program area", "the voice area", "the map area".
std::string AreaText(int area);
// "holds no package (the check-code block is erased, ...)"; `problems` as
// BlockProblemText gives them.
std::string StatusNoPackageText(const std::vector<std::string>& problems);
// "the check-code block is erased", "the program descriptor block is not valid".
std::string BlockProblemText(bool checkCodeBlock, bool erased);
// The device was not read because of its package, or could not be read.
std::string StatusPackageNotLoadedText(const std::string& packageFile);
std::string StatusPackageRefusedText(const std::string& packageFile);
std::string StatusNotReadText(const std::string& cause);
