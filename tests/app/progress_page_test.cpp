// The progress page: Exit and the watch timer, the refused boot-loader
// refresh, keys that must not close it, and the bar's update events.

#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <gtest/gtest.h>
#include <ostream>
#include <thread>
#include <utility>
#include <vector>

#include "WizardTestBed.h"
#include "app/UpdateDialog.h"
#include "engine/UpdateJob.h"
#include "platform/Prompter.h"

namespace {

const std::string kDoNotDisturb = "升级过程中请勿移动电子狗或USB连接线！";
const std::string kFailedStatus = "升级失败，请重新连接USB设备并升级";

// Opens the welcome page on the bed's package and presses Next; `onPage`
// runs inside the progress page's modal loop and must close it.
void RunProgressPage(WizardTestBed& bed, std::function<void(CProgressDialog&)> onPage,
                     const WizardSetup* setup = nullptr)
{
    bed.WritePackage();
    UpdateWizard wizard(setup ? *setup : bed.setup);
    CUpdateDialog welcome(wizard, setup ? *setup : bed.setup);
    ASSERT_TRUE(welcome.OnInitDialog());
    welcome.show();
    WhenModal<CProgressDialog>(std::move(onPage));
    QTest::mouseClick(welcome.NextButton(), Qt::LeftButton);
    EXPECT_FALSE(welcome.isVisible());
}

void ExpectKeysAndCloseIgnored(CProgressDialog& page, const char* state)
{
    SCOPED_TRACE(state);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(&page, key);
        QTest::keyClick(page.ExitButton(), key);
    }
    EXPECT_FALSE(page.close());
    EXPECT_TRUE(page.isVisible());
    EXPECT_EQ(page.result(), 0);
}

struct OutcomeCase {
    const char* name;
    const char* simulate;
    bool succeeds;
};

void PrintTo(const OutcomeCase& outcome, std::ostream* out)
{
    *out << outcome.name;
}

// Delivers a watch tick whenever the worker waits for the page to take a
// text: the worker is held in that call, so it cannot become done during
// the tick. A tick sent after merely seeing m_bDone clear may meet the
// worker done by then, and rightly enable Exit.
class TickWhileTheWorkerWaits final : public QObject {
public:
    explicit TickWhileTheWorkerWaits(CProgressDialog& page) : m_page(page) { m_page.installEventFilter(this); }
    ~TickWhileTheWorkerWaits() override { m_page.removeEventFilter(this); }

    int ticks = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The worker's texts are the only calls queued to the page here.
        if (watched != &m_page || event->type() != QEvent::MetaCall)
            return false;
        EXPECT_FALSE(m_page.Done()) << "done while a text call waits";
        if (ticks == 0)
            ExpectKeysAndCloseIgnored(m_page, "updating");
        DeliverWatchTick(m_page);
        ++ticks;
        EXPECT_FALSE(m_page.ExitButton()->isEnabled()) << "tick " << ticks << " while the worker runs";
        return false;
    }

private:
    CProgressDialog& m_page;
};

class ExitButtonTest : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(ExitButtonTest, StaysDisabledUntilTheFirstTickAfterTheWorkerIsDone)
{
    WizardTestBed bed(GetParam().simulate);
    std::string statusWhenDone;
    RunProgressPage(bed, [&](CProgressDialog& page) {
        EXPECT_TRUE(page.WorkerStarted());
        EXPECT_FALSE(page.ExitButton()->isEnabled());
        // Ticks while the worker runs change nothing. Every run ends with a
        // status text, so there is at least one.
        {
            TickWhileTheWorkerWaits ticking(page);
            ASSERT_TRUE(PumpUntil([&] { return page.Done(); }));
            EXPECT_GT(ticking.ticks, 0);
        }
        // Done, but not seen yet: the final text is already in place.
        statusWhenDone = page.StatusLabel()->text().toStdString();
        EXPECT_FALSE(page.ExitButton()->isEnabled());
        ExpectKeysAndCloseIgnored(page, "done, before the tick");

        DeliverWatchTick(page);
        EXPECT_TRUE(page.ExitButton()->isEnabled());
        EXPECT_EQ(page.WatchTimerId(), 0) << "the timer is killed once done is seen";
        ExpectKeysAndCloseIgnored(page, "finished");

        QTest::mouseClick(page.ExitButton(), Qt::LeftButton);
    });
    if (GetParam().succeeds)
        EXPECT_EQ(statusWhenDone.rfind("升级成功，可以断开连接，耗时", 0), 0u) << statusWhenDone;
    else
        EXPECT_EQ(statusWhenDone.rfind(kFailedStatus, 0), 0u) << statusWhenDone;
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, ExitButtonTest,
    ::testing::Values(OutcomeCase{"success", "", true},
                      OutcomeCase{"device_not_back_after_reset", "noreattach=0", false},
                      OutcomeCase{"second_device_unplugged_while_writing", "devices=2;unplug=1@40", false}),
    [](const ::testing::TestParamInfo<OutcomeCase>& info) { return info.param.name; });

// Notes, for every message, whether a progress page was on screen then.
class PageVisibilityPrompter final : public Prompter {
public:
    void ShowMessage(const std::string& text) override
    {
        bool pageShown = false;
        for (QWidget* window : QApplication::topLevelWidgets())
            pageShown = pageShown || (dynamic_cast<CProgressDialog*>(window) && window->isVisible());
        shown.push_back({text, pageShown});
    }
    std::vector<std::pair<std::string, bool>> shown;
};

// The boot-loader check runs on the worker, as a step the page shows; when
// it refuses, the worker says so and the page ends as it began, with Exit.
TEST(ProgressPage, RefusedBootloaderRefreshIsShownOnThePageAndEndsWithExit)
{
    WizardTestBed bed("version=Z");  // an answer the version check does not know
    PageVisibilityPrompter prompter;
    RunContext context{bed.harness.Backend(), bed.harness.clock, prompter, bed.harness.diagnostics};
    const WizardSetup setup{context, bed.setup.places, false, "", kManualTicks};

    RunProgressPage(bed, [&](CProgressDialog& page) {
        EXPECT_TRUE(page.WorkerStarted());
        ASSERT_TRUE(PumpUntil([&] { return page.Done(); }));
        DeliverWatchTick(page);
        EXPECT_EQ(page.StatusLabel()->text(), QString::fromUtf8("下载进度"));
        EXPECT_EQ(page.ProgressBar()->value(), page.ProgressBar()->minimum());
        EXPECT_TRUE(page.ExitButton()->isEnabled());
        EXPECT_EQ(page.WatchTimerId(), 0);
        ExpectKeysAndCloseIgnored(page, "stopped");
        QTest::mouseClick(page.ExitButton(), Qt::LeftButton);
    }, &setup);
    // The warning comes before the page is shown; the refusal on it.
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[0], (std::pair<std::string, bool>{kDoNotDisturb, false}));
    EXPECT_EQ(prompter.shown[1].first.rfind("Failed to update in bootloader!", 0), 0u);
    EXPECT_TRUE(prompter.shown[1].second) << "the page is on screen while its device phase runs";
}

TEST(ProgressPage, QueuedProgressEventsAllShowTheLatestPercent)
{
    WizardTestBed bed;
    ReadyWizard ready(bed);
    CProgressDialog page(ready.wizard, bed.setup);
    // The test plays the worker, which alone writes the percent.
    auto& percent = const_cast<ProgressState&>(ready.wizard.Progress()).m_nPos;
    ProgressEvent step;
    step.change = ProgressEvent::Change::Percent;
    for (int value : {10, 20, 30}) {
        percent = value;
        page.OnProgress(step);
    }
    percent = 45;
    // The first queued event already shows the latest value.
    QCoreApplication::sendPostedEvents(&page, CProgressDialog::WM_PROGRESS_UPDATE);
    EXPECT_EQ(page.ProgressBar()->value(), 45);

    percent = 60;
    page.OnProgress(step);
    page.OnProgress(step);
    QCoreApplication::sendPostedEvents(&page, CProgressDialog::WM_PROGRESS_UPDATE);
    EXPECT_EQ(page.ProgressBar()->value(), 60);
}

TEST(ProgressPage, TextsAreInPlaceWhenTheReportReturnsOnEitherThread)
{
    WizardTestBed bed;
    ReadyWizard ready(bed);
    CProgressDialog page(ready.wizard, bed.setup);
    auto report = [&page](ProgressEvent::Change change, const std::string& area, const std::string& status) {
        ProgressEvent event;
        event.change = change;
        event.areaText = area;
        event.statusText = status;
        page.OnProgress(event);
    };

    // On the page's own thread the call must not wait for itself.
    report(ProgressEvent::Change::Status, "", "下载进度：准备");
    EXPECT_EQ(page.StatusLabel()->text(), QString::fromUtf8("下载进度：准备"));

    std::atomic<bool> areaReturned{false};
    std::atomic<bool> statusReturned{false};
    std::thread worker([&] {
        report(ProgressEvent::Change::Area, "Device:2,Area:1 ", "下载进度：准备");
        areaReturned = true;
        report(ProgressEvent::Change::Status, "Device:2,Area:1 ", "全国版数据：50%完成");
        statusReturned = true;
    });
    // Labels are read here, on the page's thread, as soon as a call is back.
    EXPECT_TRUE(PumpUntil([&] { return areaReturned.load(); }));
    EXPECT_EQ(page.AreaLabel()->text(), QStringLiteral("Device:2,Area:1 "));
    EXPECT_TRUE(PumpUntil([&] { return statusReturned.load(); }));
    EXPECT_EQ(page.StatusLabel()->text(), QString::fromUtf8("全国版数据：50%完成"));
    worker.join();
}

} // namespace
