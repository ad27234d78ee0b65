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

const char* const kStatusAreaNames[] = {"main program", "voice", "map"};

std::string CommaSeparated(const std::vector<std::string>& items)
{
    std::string list;
    for (const std::string& item : items)
        list += (list.empty() ? "" : ", ") + item;
    return list;
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

std::string DurationText(uint32_t ms)
{
    // Runs of an hour or more stay in minutes.
    const std::string parts = Part(ms / 60000, "分") + Part(ms / 1000 % 60, "秒") + Part(ms % 1000, "毫秒");
    return parts.empty() ? "0秒" : parts;
}

std::string ElapsedText(uint32_t elapsedMs)
{
    return "升级成功，可以断开连接，耗时" + DurationText(elapsedMs);
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
    return std::string(kFailedResultText) + " (" + std::to_string(exitCode) + ")";
}

std::string ResultText(int exitCode)
{
    return exitCode == 0 ? std::string(kResultUpdated) : FailedWithCodeText(exitCode);
}

std::string FailedBecauseText(const std::string& message)
{
    return message.empty() ? std::string(kFailedResultText) : std::string(kFailedResultText) + "：" + message;
}

std::string FlashUsingPackageText(const std::string& fileName, const std::string& path)
{
    return "kt7-flash: the devices attached now take " + fileName + "; using " + path;
}

std::string RecordsNotKeptText(const std::string& reason)
{
    return "未能保存升级记录：" + reason;
}

std::string FingerprintLine(const std::string& sha256)
{
    constexpr size_t kShown = 16;
    if (sha256.empty())
        return {};
    return "SHA-256：" + sha256.substr(0, kShown) + (sha256.size() > kShown ? "…" : "");
}

std::string FingerprintWhole(const std::string& sha256)
{
    return sha256.empty() ? std::string() : "SHA-256：" + sha256;
}

std::string UnexpectedPackageText(const std::string& path, const std::string& sha256,
                                  const std::vector<std::string>& expected)
{
    std::string text = "kt7-flash: --expect-sha256: " + path + " is not the package expected.\n" +
                       "  its SHA-256:  " + sha256 + "\n";
    for (size_t i = 0; i < expected.size(); ++i)
        text += (i == 0 ? "  expected:     " : "                ") + expected[i] + "\n";
    return text +
           "Get the package again from where it came, or name the file that is meant;\n"
           "'kt7-flash info FILE' shows a package's SHA-256.";
}

std::string InfoSha256Line(const std::string& sha256)
{
    return "SHA-256: " + sha256;
}

std::string StatusThisPackageText(const std::string& packageFile)
{
    return "holds " + packageFile;
}

std::string StatusOtherPackageText(const std::string& packageFile, const std::vector<std::string>& differences)
{
    return "holds another package, not " + packageFile + " (differs in " + CommaSeparated(differences) + ")";
}

std::string AreaDifferenceText(int area, bool length, bool sum)
{
    return std::string("the ") + kStatusAreaNames[area] + (length && sum ? " length and sum" : length ? " length" : " sum");
}

std::string StatusPackageInPartText(const std::string& packageFile, const std::vector<std::string>& areas)
{
    return "holds " + packageFile + "'s control blocks, but " + CommaSeparated(areas) +
           (areas.size() == 1 ? " differs" : " differ") +
           " from the package's at its first or last page; update it again";
}

std::string AreaText(int area)
{
    return std::string("the ") + kStatusAreaNames[area] + " area";
}

std::string StatusNoPackageText(const std::vector<std::string>& problems)
{
    return "holds no package (" + CommaSeparated(problems) + ")";
}

std::string BlockProblemText(bool checkCodeBlock, bool erased)
{
    return std::string(checkCodeBlock ? "the check-code block" : "the program descriptor block") +
           (erased ? " is erased" : " is not valid");
}

std::string StatusPackageNotLoadedText(const std::string& packageFile)
{
    return "not read: its package " + packageFile + " could not be loaded";
}

std::string StatusPackageRefusedText(const std::string& packageFile)
{
    return "not read: its package " + packageFile + " is not the one expected (--expect-sha256)";
}

std::string StatusNotReadText(const std::string& cause)
{
    return "could not be read: " + cause + "; check its USB connection, then run 'kt7-flash status' again";
}

std::string WatchCountText(int updated, int failed, int inProgress)
{
    return Format("%d updated, %d failed, %d in progress", updated, failed, inProgress);
}

std::string FlashRetryText(int nextAttempt, int attempts)
{
    return Format("failed; trying again (attempt %d of %d) once the device is there", nextAttempt, attempts);
}

std::string FlashNotBackText(uint32_t waitedMs)
{
    return Format("not there again within %u s; not tried again", waitedMs / 1000);
}

std::string FlashAttemptText(int attempt)
{
    return Format(" (attempt %d)", attempt);
}

std::string RecordTotalText(int count)
{
    return "共 " + std::to_string(count) + " 条：";
}

std::string RecordCountText(const std::string& resultLabel, int count)
{
    return resultLabel + " " + std::to_string(count);
}

std::string FlashNoRecordsText(const std::string& path, const std::string& sinceDate)
{
    return sinceDate.empty() ? "No records in " + path + "." : "No records since " + sinceDate + " in " + path + ".";
}

#ifdef _WIN32
const char kNoRecordsPlaceText[] = "no place for the records file: LOCALAPPDATA is not set (--records FILE names one)";
#else
const char kNoRecordsPlaceText[] =
    "no place for the records file: neither XDG_STATE_HOME nor HOME is set (--records FILE names one)";
#endif

// Where the log is, and the installed documentation: the .deb's, or the
// zip's beside the program.
#ifdef _WIN32
#define KT7_FLASH_LOG "%LOCALAPPDATA%\\kt7-updater\\kt7-updater.log\n"
#define KT7_RECORDS_FILE "%LOCALAPPDATA%\\kt7-updater\\records.jsonl"
#define KT7_FLASH_DOCUMENTATION "Documentation: 说明.txt, beside kt7-flash.exe.\n"
#else
#define KT7_FLASH_LOG "$XDG_STATE_HOME/kt7-updater/kt7-updater.log (~/.local/state when unset)\n"
#define KT7_RECORDS_FILE "$XDG_STATE_HOME/kt7-updater/records.jsonl"
#define KT7_FLASH_DOCUMENTATION                                                  \
    "Documentation: /usr/share/doc/kt7-updater/README.md, and the fields of\n" \
    "--json in /usr/share/doc/kt7-updater/json.md.\n"
#endif

const char kFlashHelpText[] =
    "Usage: kt7-flash VERB [OPTIONS] [FILE|DIR]\n"
    "\n"
    "Updates speed-camera warning devices (USB HID 0416:b500) from an update\n"
    "package: FILE, or KT7_Down.dat in DIR (KT7_DownXXXX.dat for a device whose\n"
    "release number XXXX selects its own package). Without either, the package\n"
    "is looked for in the program's own directory, then in the current one.\n"
    "\n"
    "Verbs:\n"
    "  list            each attached device: index, location (where it is plugged\n"
    "                  in, e.g. 1-2.3, the USB port path), path, release number, the\n"
    "                  package file and command set it selects, and its serial\n"
    "                  number when it has one\n"
    "  info [FILE|DIR] the package summary as the welcome page shows it, and the\n"
    "                  package checks the update makes before it writes anything\n"
    "  update [FILE|DIR]\n"
    "                  the whole update: load the package, check for devices,\n"
    "                  refresh the boot loader when it is too old, erase and write\n"
    "                  every area on every attached device; one update at a time\n"
    "                  per machine, and Ctrl-C waits until the devices are done;\n"
    "                  a record of each device's update goes to the records file\n"
    "  status [FILE|DIR]\n"
    "                  read each attached device's control blocks (and its areas'\n"
    "                  first and last pages) and say whether it holds its package\n"
    "                  (the one update would write to it), another package, or\n"
    "                  none; reads only, writes nothing\n"
    "  records         the records file as a table (time, station, location,\n"
    "                  serial number, release, package, result with its reason,\n"
    "                  time taken, attempt) with counts per result and per day\n"
    "\n"
    "Options:\n"
    "  --dir DIR       the same as giving DIR: look for the package there\n"
    "  --parallel      update: every device at once, each with its own worker,\n"
    "                  release probe, package and command set; one failing\n"
    "                  does not stop the others; a table of results at the end\n"
    "  --verify        update: read every area and control block back from the\n"
    "                  devices after writing it and compare; a device that\n"
    "                  holds something else fails (the update takes longer)\n"
    "  --watch         update: stay running and update each device as it is\n"
    "                  plugged in, as --parallel does, several at once; a device\n"
    "                  done (whatever its result) is left alone until it is\n"
    "                  unplugged and plugged in again; Ctrl-C ends the watch,\n"
    "                  after the devices being updated are done\n"
    "  --device LOC    update: only the device at location LOC (as list shows\n"
    "                  it); may be given more than once; without it every\n"
    "                  attached device is updated; with --watch, only devices\n"
    "                  plugged in there, which need not be there yet; status:\n"
    "                  only the device at LOC\n"
    "  --expect-sha256 HEX\n"
    "                  info, update, status: use only a package whose SHA-256 (as\n"
    "                  info shows it) is HEX; may be given more than once, e.g.\n"
    "                  one per package kind; any other package is refused before\n"
    "                  any device is sent anything (exit code 1)\n"
    "  --retry N       update --parallel or --watch: a device that failed is\n"
    "                  updated again from the start, up to N more times (0 to 9),\n"
    "                  once it is there again (waited for up to 30 s); not one\n"
    "                  whose package could not be loaded\n"
    "  --bell          update: on a terminal, ring its bell when a device has\n"
    "                  finished, twice when it failed\n"
    "  --records FILE  update, records: the records file to add to or read,\n"
    "                  instead of " KT7_RECORDS_FILE "\n"
    "  --no-records    update: keep no record\n"
    "  --station NAME  update: the bench's name in the records (default: the\n"
    "                  computer's name)\n"
    "  --since DATE    records: only the days from DATE on, today or YYYY-MM-DD\n"
    "  --csv           records: CSV for a spreadsheet instead of the table\n"
    "  --json          standard output as JSON, for scripts: list and status an\n"
    "                  array, info one object, update one object per line (run\n"
    "                  start, steps, progress, messages, each device's result,\n"
    "                  run end), each flushed as it happens; update shows no\n"
    "                  progress on standard error then\n"
    "  -v, --verbose   also show the diagnostic lines on standard error; they\n"
    "                  go to the log either way\n"
    "  -h, --help      this text\n"
    "\n"
    "Output: the list, the summary and the devices' results on standard output\n"
    "(with --json, JSON and nothing else); messages and progress on standard\n"
    "error. Diagnostics go to the log (the last four runs' logs are kept beside\n"
    "it as .log.1 to .log.4):\n"
    "  " KT7_FLASH_LOG
    "Smpl_HIDTransfer.bin, the boot-loader image, is looked for beside the\n"
    "package, then in the program's own directory.\n"
    "\n"
    "Exit codes:\n"
    "  0   success\n"
    "  1   the package could not be loaded, or is not one --expect-sha256 names\n"
    "  2   no device attached (list too), a --device location with no\n"
    "      device, or devices of different kinds attached\n"
    "  3   the boot-loader refresh was refused or failed\n"
    "  4   the update failed; status: a device could not be read\n"
    "  5   another update is running\n"
    "  6   status: a device holds another package, none, or its package in part\n"
    "  64  bad command line or bad KT7_SIMULATE setting\n"
    "  74  simulated devices: the run succeeded, but their flash images or\n"
    "      trace could not be saved; records: the records file cannot be read\n"
    "\n"
    "Environment:\n"
    "  KT7_SIMULATE    use simulated devices instead of real ones: a ';'-separated\n"
    "                  list of key=value, e.g. \"devices=2;timing=usb;flash=/tmp/f\".\n"
    "                  Keys: devices, release, serial, others, version, timing,\n"
    "                  reattach, arrive, flash, trace, unplug, drop, stall,\n"
    "                  noreattach, badpage, corrupt\n"
    "                  (see the README).\n"
    "\n" KT7_FLASH_DOCUMENTATION;
