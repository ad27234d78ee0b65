// A stand-in for the wizard's model, so that the dialogs can be tried out
// from end to end before they are wired to the update: a fixed package
// summary, and a device phase that only pretends, over about three seconds.
// It touches no device. KT7_WIN_DEMO names the script:
//   update      the package is there, Next goes on, the update succeeds
//   no-device   the first Next finds no device, the second goes on
//   failure     writing area 2 fails: its message, exit code 4
//   no-package  no package: its message, then the file dialog asks for one
//   damaged     the package does not load: its message, exit code 1
//   locked      another update runs: its message at Next, exit code 5
// KT7_WIN_DEMO_EVENTS=FILE: a line is added to FILE for every action the
// demo gets and every text it shows, for a test to wait on. While the file
// KT7_WIN_DEMO_HOLD names exists, the device phase stays at 50 %.
// Without KT7_WIN_DEMO the program says that it cannot update yet.

#include <windows.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

#include "engine/EngineTexts.h"
#include "engine/UpdateMessages.h"
#include "package/PackageMessages.h"
#include "platform/Environment.h"
#include "platform/LogFile.h"
#include "platform/ProgramDirectory.h"
#include "platform/SystemPath.h"
#include "platform/UpdateLock.h"
#include "platform/WideText.h"
#include "win/WizardDriver.h"

namespace {

constexpr char kPageCaption[] = "预警仪升级工具（适用KT7.0方案）";
constexpr char kSimulatedSuffix[] = " [模拟设备]";
constexpr char kPathPrefix[] = "升级文件：";
constexpr char kNotYet[] =
    "这个版本的向导还不能升级设备，请用 kt7-flash.exe update 升级。\n"
    "设置环境变量 KT7_WIN_DEMO=update 可以看演示。";
constexpr char kSummary[] =
    "\r\nSolution:KT7.0\r\nUpdate Time:2026-12-01\r\nSoftware Ver:SW1.12\r\n"
    "Firmware Ver:V112\r\nVoice Ver:V205\r\nData Ver:D318";
constexpr int kDemoDevices = 2;
constexpr int kStepMs = 10;  // 300 steps of the bar's 0..100 in thirds
constexpr int kHoldPercent = 50;
constexpr int kFailingArea = 2;

std::string DownloadsFolder()
{
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &path)))
        folder = WideToUtf8(path);
    CoTaskMemFree(path);
    return folder;
}

class DemoDriver final : public WizardDriver {
public:
    explicit DemoDriver(const std::vector<std::string>& arguments)
        : m_script(EnvironmentVariable("KT7_WIN_DEMO").value_or("")),
          m_events(EnvironmentVariable("KT7_WIN_DEMO_EVENTS").value_or("")),
          m_hold(EnvironmentVariable("KT7_WIN_DEMO_HOLD").value_or("")),
          m_package(arguments.empty() ? GetProgramDirectory() + "KT7_Down.dat" : arguments.front())
    {
        std::string name = GetProgramName();
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0)
            name.resize(name.size() - 4);
        m_boxCaption = name;
    }

    std::string Caption() override
    {
        return EnvironmentVariable("KT7_SIMULATE") ? std::string(kPageCaption) + kSimulatedSuffix : kPageCaption;
    }

    WizardStep Start() override
    {
        Note("start " + m_script);
        if (m_script == "no-package")
            return AskForPackage({Box(kMsgCannotOpenPackage)});
        if (m_script == "damaged")
            return Ending(1, {Box(kMsgBadPackingInfo)});
        if (m_script.empty())
            return Ending(64, {Box(kNotYet)});
        return Welcome();
    }

    WizardStep ChooseFile(const std::string& path) override
    {
        Note("choose " + path);
        m_package = path;
        return Welcome();
    }

    WizardStep Cancel() override
    {
        Note("cancel");
        // The file dialog cancelled before any package was shown: nothing to update.
        return Ending(m_shown ? 0 : 1, {});
    }

    WizardStep Next() override
    {
        Note("next");
        if (m_script == "locked")
            return Ending(5, {Box(kMsgAnotherUpdateRunning)});
        if (m_script == "no-device" && m_nextCount++ == 0) {
            WizardStep stay = Welcome();
            stay.messages.push_back(Box(kMsgDeviceNotFound));
            return stay;
        }
        WizardStep progress;
        progress.page = WizardPage::Progress;
        progress.messages.push_back({kMsgDoNotDisturb, Caption(), true});
        return progress;
    }

    void RunDevicePhase(DevicePhaseSink& sink) override
    {
        const auto started = std::chrono::steady_clock::now();
        Status(sink, "等待设备重新连接…");
        Pause(300);
        const int stepsPerArea = 100;
        for (int area = 1; area <= 3; ++area) {
            Area(sink, AreaLabel(kDemoDevices, area));
            const int remainMs = (3 - area + 1) * stepsPerArea * kStepMs;
            Status(sink, kStatusPrefix + EraseEstimateText(static_cast<uint32_t>(remainMs)));
            for (int step = 1; step <= stepsPerArea; ++step) {
                const int percent = ((area - 1) * stepsPerArea + step) / 3;
                sink.SetPercent(percent);
                if (step % 10 == 0) {
                    const int left = remainMs - step * kStepMs;
                    Status(sink, kStatusPrefix + PercentEstimateText(percent, static_cast<uint32_t>(left)));
                }
                if (percent == kHoldPercent && !m_held)
                    HoldWhileAsked(percent);
                if (m_script == "failure" && area == kFailingArea && step == stepsPerArea / 2) {
                    const WizardMessage box = Box(AreaWriteFailedMessage(area));
                    Note("message " + box.text);
                    sink.ShowMessage(box);
                    m_end = {kUpdateFailedText + std::string("  ") + kSeeLogText + DefaultLogPath(), 4};
                    Note("done");
                    return;
                }
                Pause(kStepMs);
            }
        }
        const auto tookMs = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        m_end = {ElapsedText(static_cast<uint32_t>(tookMs.count() / 1000 * 1000)), 0};
        Note("done");
    }

    WizardEnd End() override
    {
        Note("end " + std::to_string(m_end.exitCode) + " " + m_end.statusText);
        return m_end;
    }

private:
    WizardMessage Box(const std::string& text) const { return {text, m_boxCaption, false}; }

    WizardStep Welcome()
    {
        m_shown = true;
        WizardStep step;
        step.page = WizardPage::Welcome;
        step.summary = kSummary;
        step.pathLine = kPathPrefix + m_package;
        Note("welcome " + m_package);
        return step;
    }

    WizardStep AskForPackage(std::vector<WizardMessage> messages)
    {
        WizardStep step;
        step.messages = std::move(messages);
        step.page = WizardPage::FileDialog;
        step.fileQuestion = {"选择升级文件", "升级文件 (KT7_Down*.dat)", "KT7_Down*.dat", DownloadsFolder()};
        return step;
    }

    static WizardStep Ending(int exitCode, std::vector<WizardMessage> messages)
    {
        WizardStep step;
        step.messages = std::move(messages);
        step.page = WizardPage::End;
        step.exitCode = exitCode;
        return step;
    }

    void Status(DevicePhaseSink& sink, const std::string& text)
    {
        sink.SetStatusText(text);
        Note("status " + text);
    }

    void Area(DevicePhaseSink& sink, const std::string& text)
    {
        sink.SetAreaText(text);
        Note("area " + text);
    }

    void HoldWhileAsked(int percent)
    {
        m_held = true;
        if (m_hold.empty())
            return;
        Note("holding " + std::to_string(percent));
        std::error_code error;
        while (std::filesystem::exists(PathFromUtf8(m_hold), error))
            Pause(50);
        Note("released");
    }

    static void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

    // One line per event, flushed at once: a test reads the file while the
    // program runs.
    void Note(const std::string& line)
    {
        if (m_events.empty())
            return;
        std::lock_guard lock(m_eventsMutex);
        if (std::FILE* file = OpenFile(m_events, "ab")) {
            std::fprintf(file, "%s\n", line.c_str());
            std::fclose(file);
        }
    }

    const std::string m_script;
    const std::string m_events;
    const std::string m_hold;
    std::string m_package;
    std::string m_boxCaption;
    bool m_shown = false;
    bool m_held = false;
    int m_nextCount = 0;
    WizardEnd m_end;
    std::mutex m_eventsMutex;
};

} // namespace

std::unique_ptr<WizardDriver> CreateWizardDriver(const std::vector<std::string>& arguments)
{
    return std::make_unique<DemoDriver>(arguments);
}
