#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

#include "texts/UserTexts.h"
#include "engine/UpdateRun.h"
#include "package/Package.h"
#include "texts/UserTexts.h"
#include "package/PackageWriter.h"
#include "support/EngineHarness.h"

namespace {

// Reports device 0 exchanges in a run of ThreeAreaSpec(): reset 1; area
// table 2-6; map erase 7-12 (command, page-read command, four answers); map
// write 13-141; voice erase 142-147, write 148-244; main erase 245-250, write
// 251-395; check-code erase 396-401, write 402-406; descriptor erase 407-412,
// write 413-417; end 418.
constexpr uint64_t kReportsOfAWholeRun = 418;

TEST(UpdateFailures, ReportCountsOfAWholeRunMatchTheTable)
{
    EngineHarness harness("devices=1");
    ASSERT_TRUE(harness.Install(ThreeAreaSpec()));
    RunWorker(harness);
    ASSERT_TRUE(harness.Messages().empty());
    EXPECT_EQ(harness.Backend().ReportCount(0), kReportsOfAWholeRun);
}

struct DeviceFault {
    const char* shows;
    const char* simulate;
    const char* message;  // null: the failure shows no message box
    std::optional<UpdatePhase> step;  // the step it fails in; none: before the first
    const char* logged;                // the log's one line of the failure
};

std::vector<std::string> ErrorLines(const std::string& log)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = log.find('\n', start)) != std::string::npos; start = end + 1)
        if (log.compare(start, 7, "ERROR: ") == 0)
            lines.push_back(log.substr(start, end - start));
    return lines;
}

// Each phase of the run fails once, by unplugging or stalling the device at
// the report that belongs to it.
TEST(UpdateFailures, DeviceFaultsAtEveryPhaseEndWithTheirMessage)
{
    const DeviceFault cases[] = {
        {"no device at the start", "devices=0", kMsgCannotOpenDevice, std::nullopt,
         "ERROR: update: no device attached"},
        {"gone before anything", "unplug=0@0", kMsgCannotOpenDevice, std::nullopt,
         "ERROR: update: no device attached"},
        {"reset not taken", "stall=0@0", kMsgResetNotSent, UpdatePhase::Reset,
         "ERROR: reset on device 0 (sim-0): sending the reset command failed"},
        {"not back after the reset", "noreattach=0", kMsgDevicesNotBack, UpdatePhase::Waiting,
         "ERROR: wait for the devices to come back after the reset on device 0 (sim-0): the device left the bus (0 devices attached, 1 expected)"},
        {"one of two not back", "devices=2;noreattach=1", kMsgDevicesNotBack, UpdatePhase::Waiting,
         "ERROR: wait for the devices to come back after the reset on device 1 (sim-1): the device left the bus (1 device attached, 2 expected)"},
        {"area table cut off", "unplug=0@2", nullptr, UpdatePhase::AreaTable,
         "ERROR: area table on device 0 (sim-0): the device left the bus (unplugged?) at the table's data"},
        {"map erase command", "unplug=0@6", "区域1数据擦除失败，请检查USB连接！", UpdatePhase::AreaMap,
         "ERROR: erase of sectors 512-513 on device 0 (sim-0): the device left the bus (0 devices attached, 1 expected)"},
        {"map erase never answered", "stall=0@8", "区域1数据擦除失败，请检查USB连接！", UpdatePhase::AreaMap,
         "ERROR: erase of sectors 512-513 on device 0 (sim-0): no answer to the handshake read within 6000 ms"},
        {"map write command", "unplug=0@12", "区域1数据写入失败，请检查USB连接！", UpdatePhase::AreaMap,
         "ERROR: write of pages 8192-8223 on device 0 (sim-0): the device left the bus (0 devices attached, 1 expected)"},
        {"map write data stalls", "stall=0@60", "区域1数据写入失败，请检查USB连接！", UpdatePhase::AreaMap,
         "ERROR: write of pages 8192-8223 on device 0 (sim-0): sending the data for page 8203 failed"},
        {"voice erase", "unplug=0@141", "区域2数据擦除失败，请检查USB连接！", UpdatePhase::AreaVoice,
         "ERROR: erase of sectors 256-257 on device 0 (sim-0): the device left the bus (0 devices attached, 1 expected)"},
        {"voice write", "unplug=0@200", "区域2数据写入失败，请检查USB连接！", UpdatePhase::AreaVoice,
         "ERROR: write of pages 4096-4119 on device 0 (sim-0): the device left the bus (unplugged?) at the data for page 4109"},
        {"main erase", "stall=0@245", "区域3数据擦除失败，请检查USB连接！", UpdatePhase::AreaMain,
         "ERROR: erase of sectors 16-18 on device 0 (sim-0): sending the handshake read command failed"},
        {"main write", "unplug=0@300", "区域3数据写入失败，请检查USB连接！", UpdatePhase::AreaMain,
         "ERROR: write of pages 256-291 on device 0 (sim-0): the device left the bus (unplugged?) at the data for page 268"},
        {"check-code erase", "unplug=0@395", kMsgCheckCodeEraseFailed, UpdatePhase::CheckCode,
         "ERROR: erase of sector 10 on device 0 (sim-0): the device left the bus (0 devices attached, 1 expected)"},
        {"check-code write", "unplug=0@402", kMsgCheckCodeWriteFailed, UpdatePhase::CheckCode,
         "ERROR: write of page 160 on device 0 (sim-0): the device left the bus (unplugged?) at the data for page 160"},
        {"descriptor erase", "stall=0@406", kMsgDescriptorEraseFailed, UpdatePhase::Descriptor,
         "ERROR: erase of sector 8 on device 0 (sim-0): sending the erase command failed"},
        {"descriptor write", "unplug=0@412", kMsgDescriptorWriteFailed, UpdatePhase::Descriptor,
         "ERROR: write of page 128 on device 0 (sim-0): the device left the bus (0 devices attached, 1 expected)"},
        {"end command", "unplug=0@417", kMsgEndNotSent, UpdatePhase::End,
         "ERROR: end of the update on device 0 (sim-0): the device left the bus (0 devices attached, 1 expected)"},
        {"second device gone during the map write", "devices=2;unplug=1@60", "区域1数据写入失败，请检查USB连接！", UpdatePhase::AreaMap,
         "ERROR: write of pages 8192-8223 on device 1 (sim-1): the device left the bus (unplugged?) at the data for page 8203"},
        {"second device gone between two areas", "devices=2;unplug=1@141", "区域2数据擦除失败，请检查USB连接！", UpdatePhase::AreaVoice,
         "ERROR: erase of sectors 256-257 on device 1 (sim-1): the device left the bus (1 device attached, 2 expected)"},
        {"second device gone before the end", "devices=2;unplug=1@417", kMsgEndNotSent, UpdatePhase::End,
         "ERROR: end of the update on device 1 (sim-1): the device left the bus (1 device attached, 2 expected)"},
    };
    for (const DeviceFault& c : cases) {
        SCOPED_TRACE(c.shows);
        EngineHarness harness(c.simulate);
        ASSERT_TRUE(harness.Install(ThreeAreaSpec()));
        const uint64_t start = harness.clock.NowMs();
        RunWorker(harness);
        const std::vector<std::string> expected = c.message ? std::vector<std::string>{c.message}
                                                            : std::vector<std::string>{};
        EXPECT_EQ(harness.Messages(), expected);
        // The failure text, naming the device when the failure was on one.
        EXPECT_EQ(harness.page.LastStatus().rfind(kUpdateFailedText, 0), 0u);
        const std::vector<std::string> statuses = harness.page.StatusTexts();
        EXPECT_EQ(std::count_if(statuses.begin(), statuses.end(),
                                [](const std::string& s) { return s.rfind(kUpdateFailedText, 0) == 0; }),
                  1)
            << "said once";
        EXPECT_EQ(harness.job.progress.m_outcome.load(), UpdateOutcome::UpdateFailed);
        EXPECT_EQ(harness.job.progress.m_bDone.load(), 1);
        EXPECT_TRUE(NeverDecreases(harness.page.Percents()));
        // A script that follows the steps learns where the run stopped.
        const std::vector<UpdatePhase> steps = harness.page.Phases();
        EXPECT_EQ(steps.empty() ? std::nullopt : std::optional(steps.back()), c.step);
        EXPECT_EQ(harness.job.package, nullptr) << "package released whatever the outcome";
        // Bounded waits: a stalled device costs seconds, not forever.
        EXPECT_LT(harness.clock.NowMs() - start, 60000u);
        // One line says what failed, on which device and where, and why.
        EXPECT_EQ(ErrorLines(harness.diagnostics.Text()), std::vector<std::string>{c.logged});
    }
}

struct BadPackage {
    const char* shows;
    std::function<void(PackageSpec&)> edit;
    const char* message;
    const char* loadMessage = nullptr;  // the loader's own check, when it comes first
};

// A package the checks refuse is refused when it is loaded, with the same
// message; should it be installed all the same, the run refuses it again
// before any device command: the device is only reset.
TEST(UpdateFailures, BadPackagesAreRefusedBeforeAnyDeviceCommand)
{
    const BadPackage cases[] = {
        {"payload of the header only", [](auto& s) { s.editPayload = [](auto& p) { p.resize(128); }; },
         kMsgPayloadTooSmall, kMsgBadPackingInfo},
        {"one payload byte flipped", [](auto& s) { s.editPayload = [](auto& p) { p[0x1000] ^= 0x01; }; },
         kMsgMainCheckFailed},
        {"empty voice area", [](auto& s) { s.voice->data.clear(); }, kMsgVoiceSizeBad},
        {"main check byte", [](auto& s) { s.editHeader = [](auto& h) { h.mainCheck ^= 0x40; }; },
         kMsgMainCheckFailed},
        {"voice check byte", [](auto& s) { s.editHeader = [](auto& h) { h.voiceCheck ^= 0x40; }; },
         kMsgVoiceCheckFailed},
        {"map check byte", [](auto& s) { s.editHeader = [](auto& h) { h.mapCheck ^= 0x40; }; }, kMsgMapCheckFailed},
        {"main program missing", [](auto& s) { s.editHeader = [](auto& h) { h.mainSize = 0xFFFFFFFF; }; },
         kMsgMainMissing},
        {"main size too large", [](auto& s) { s.editHeader = [](auto& h) { h.mainSize = 0x7F00001; }; },
         kMsgMainSizeBad},
        {"voice after map", [](auto& s) { s.editHeader = [](auto& h) { h.voiceAddress = 0x40300000; }; },
         kMsgAddressBad},
        {"main overlapping voice", [](auto& s) { s.voice->address = 0x40012000; }, kMsgAddressBad},
        {"voice ending past the window",
         [](auto& s) {
             s.map.reset();
             s.voice->address = 0x407FF000;
             s.editHeader = [](auto& h) { h.mapAddress = 0x407FFF00; };
         },
         kMsgAddressBad},
        {"main data outside the payload", [](auto& s) { s.editHeader = [](auto& h) { h.mainOffset = 0xFFFFF000u; }; },
         kMsgAddressBad},
    };
    for (const BadPackage& c : cases) {
        SCOPED_TRACE(c.shows);
        EngineHarness harness("devices=1");
        PackageSpec contents = ThreeAreaSpec();
        c.edit(contents);
        std::string loadFailure;
        EXPECT_FALSE(harness.Install(contents, 1, &loadFailure));
        EXPECT_EQ(loadFailure, c.loadMessage ? c.loadMessage : c.message);
        harness.InstallPayload(BuildPackagePayload(contents));
        RunWorker(harness);
        EXPECT_EQ(harness.Messages(), std::vector<std::string>{c.message});
        // The failure text, naming the device when the failure was on one.
        EXPECT_EQ(harness.page.LastStatus().rfind(kUpdateFailedText, 0), 0u);
        const std::vector<std::string> statuses = harness.page.StatusTexts();
        EXPECT_EQ(std::count_if(statuses.begin(), statuses.end(),
                                [](const std::string& s) { return s.rfind(kUpdateFailedText, 0) == 0; }),
                  1)
            << "said once";
        EXPECT_EQ(harness.job.progress.m_outcome.load(), UpdateOutcome::UpdateFailed);
        EXPECT_EQ(harness.job.progress.m_bDone.load(), 1);
        const SimFirmware& fw = harness.Firmware(0);
        EXPECT_EQ(fw.EraseCount(), 0);
        EXPECT_EQ(fw.WriteCommandCount(), 0);
        EXPECT_FALSE(fw.HasAreaTable());
        EXPECT_EQ(harness.Backend().ReportCount(0), 1u) << "only the reset";
    }
}

}  // namespace
