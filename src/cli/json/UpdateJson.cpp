#include "cli/json/UpdateJson.h"

#include <cstdio>
#include <mutex>

#include "hid/ReleaseProbe.h"
#include "platform/JsonWriter.h"

namespace {

JsonObject Line(const char* event)
{
    JsonObject line;
    line.Number("schema", kJsonSchemaVersion).Text("event", event);
    return line;
}

// Workers of a parallel run write at once; a line must never be torn.
void Emit(const JsonObject& line)
{
    static std::mutex mutex;
    const std::string text = line.Str() + "\n";
    std::lock_guard lock(mutex);
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

std::optional<std::string> SerialOrNull(const HidDeviceInfo& device)
{
    return device.serialNumber.empty() ? std::nullopt : std::optional(device.serialNumber);
}

} // namespace

const char* PhaseName(UpdatePhase phase)
{
    switch (phase) {
    case UpdatePhase::BootloaderCheck:
        return "bootloader-check";
    case UpdatePhase::BootloaderRefresh:
        return "bootloader-refresh";
    case UpdatePhase::Reset:
        return "reset";
    case UpdatePhase::Waiting:
        return "waiting";
    case UpdatePhase::AreaTable:
        return "area-table";
    case UpdatePhase::AreaMap:
        return "area-map";
    case UpdatePhase::AreaVoice:
        return "area-voice";
    case UpdatePhase::AreaMain:
        return "area-main";
    case UpdatePhase::CheckCode:
        return "check-code";
    case UpdatePhase::Descriptor:
        return "descriptor";
    case UpdatePhase::End:
        return "end";
    }
    return "unknown";
}

void WriteRunStart(bool parallel, const std::string& packageFolder, const std::vector<HidDeviceInfo>& devices)
{
    std::vector<std::string> list;
    for (const HidDeviceInfo& device : devices)
        list.push_back(JsonObject()
                           .Text("location", device.location)
                           .Text("path", device.path)
                           .Text("release", ReleaseNumberText(device.releaseNumber))
                           .TextOrNull("serial", SerialOrNull(device))
                           .Str());
    Emit(Line("run-start")
             .Text("version", KT7_VERSION)
             .Text("mode", parallel ? "parallel" : "sequential")
             .Text("package_folder", packageFolder)
             .Raw("devices", JsonArray(list)));
}

void WritePhase(const JsonDevice& device, UpdatePhase phase)
{
    Emit(Line("phase").TextOrNull("device", device).Text("phase", PhaseName(phase)));
}

void WriteProgress(const JsonDevice& device, int percent, uint32_t remainMs, const std::optional<std::string>& area,
                   const std::string& status)
{
    Emit(Line("progress")
             .TextOrNull("device", device)
             .Number("percent", percent)
             .Number("remaining_ms", remainMs)
             .TextOrNull("area", area)
             .Text("status", status));
}

void WriteProgressEvent(const JsonDevice& device, const ProgressEvent& event)
{
    if (event.change == ProgressEvent::Change::Phase)
        WritePhase(device, event.phase);
    else if (event.change == ProgressEvent::Change::Status)
        WriteProgress(device, event.percent, event.remainMs,
                      event.areaText.empty() ? std::nullopt : std::optional(event.areaText), event.statusText);
}

void WriteMessage(const JsonDevice& device, const std::string& text)
{
    Emit(Line("message").TextOrNull("device", device).Text("text", text));
}

void WriteResult(const HidDeviceInfo& device, const std::string& package, int exitCode,
                 std::optional<uint32_t> elapsedMs, const DeviceResult* result, int attempt)
{
    JsonObject line = Line("result");
    line.Text("device", device.location)
        .TextOrNull("serial", SerialOrNull(device))
        .Number("attempt", attempt)
        .Text("release", ReleaseNumberText(device.releaseNumber))
        .Text("package", package)
        .Number("exit_code", exitCode)
        .Text("message", exitCode == 0 ? "升级成功" : "升级失败");
    if (elapsedMs)
        line.Number("elapsed_ms", *elapsedMs);
    else
        line.Null("elapsed_ms");
    std::optional<std::string> reason;
    std::optional<std::string> stoppedBy;
    if (result && result->kind == DeviceResultKind::Failed && !result->message.empty())
        reason = result->cause.empty() ? result->message : result->message + " (" + result->cause + ")";
    if (result && result->kind == DeviceResultKind::Stopped)
        stoppedBy = result->cause;
    line.TextOrNull("reason", reason).TextOrNull("stopped_by", stoppedBy);
    Emit(line);
}

void WriteRunEnd(int exitCode)
{
    Emit(Line("run-end").Number("exit_code", exitCode));
}
