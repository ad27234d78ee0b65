#pragma once
// The verbs of kt7-flash. list and info return the process exit code.

#include <string>

#include "cli/Options.h"
#include "engine/UpdateOutcome.h"

int RunListCommand();
int RunInfoCommand(const CliOptions& options);
// Holds the update lock at `lockPath` (none when empty) for the device phase.
UpdateOutcome RunUpdateCommand(const CliOptions& options, const std::string& lockPath);

// Every device its own worker and package; the lock held throughout. Returns
// the exit code: 0 when every device succeeded, else the highest of theirs.
int RunParallelUpdateCommand(const CliOptions& options, const std::string& lockPath);

// Texts the sequential and the parallel update both show.
inline constexpr char kDeviceNotFoundHelpText[] =
    "无法找到设备，请确认：\n\n  1)USB线是否正常连接电脑和设备；\n\n"
    "  2)设备连接到电脑请等待2~3秒，待电脑识别到USB设备后，再升级；\n\n"
    "  3)如果还未识别请断开USB，再次连接，等待数秒后重试。";
inline constexpr char kBootloaderRefusedText[] = "Failed to update in bootloader!";

// The summary as lines, without the CR LF the welcome page's text box uses.
void PrintSummary(const std::string& summary);
