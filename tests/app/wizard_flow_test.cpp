// The wizard from start to end: load, Next, the update, Exit; Cancel; a
// package that does not load; the exit code of each ending; another update
// running; an interruption while the devices are busy.

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include "WizardTestBed.h"
#include "app/SummaryBox.h"
#include "app/UpdateDialog.h"
#include "app/VornelApp.h"
#include "package/Package.h"
#include "package/PackageMessages.h"
#include "platform/UpdateLock.h"

namespace {

const std::string kDoNotDisturb = "升级过程中请勿移动电子狗或USB连接线！";
const std::string kSuccessPrefix = "升级成功，可以断开连接，耗时";

std::vector<uint8_t> Flash(WizardTestBed& bed, uint32_t address, size_t length)
{
    return FlashBytes(bed.harness.Firmware(0), address, length);
}

TEST(WizardFlow, NextToExitUpdatesTheDeviceAndEndsWithExitCode0)
{
    WizardTestBed bed;
    const PackageSpec contents = SamplePackageSpec();
    bed.WritePackage(contents);

    bool summaryShown = false;
    std::string finalStatus;
    int finalPercent = -1;
    WhenModal<CUpdateDialog>([&](CUpdateDialog& welcome) {
        summaryShown = !welcome.SummaryEdit()->toPlainText().isEmpty();
        WhenModal<CProgressDialog>([&](CProgressDialog& page) {
            FinishUpdate(page);
            finalStatus = page.StatusLabel()->text().toStdString();
            finalPercent = page.ProgressBar()->value();
        });
        QTest::mouseClick(welcome.NextButton(), Qt::LeftButton);
    });

    CVornelApp app;
    app.SetProgressWatchPeriod(kManualTicks);
    EXPECT_EQ(app.InitInstance(), 0);

    EXPECT_TRUE(summaryShown);
    EXPECT_EQ(finalStatus.rfind(kSuccessPrefix, 0), 0u) << finalStatus;
    EXPECT_EQ(finalPercent, 100);
    EXPECT_EQ(bed.harness.Messages(), std::vector<std::string>{kDoNotDisturb});
    EXPECT_EQ(Flash(bed, contents.main->address, contents.main->data.size()), contents.main->data);
    EXPECT_EQ(Flash(bed, contents.voice->address, contents.voice->data.size()), contents.voice->data);
    EXPECT_EQ(CurrentPackage().m_packageData, nullptr);
    EXPECT_EQ(CurrentPackage().m_mapImage, nullptr);
}

TEST(WizardFlow, CancelReleasesThePackageAndSendsNoDeviceCommand)
{
    WizardTestBed bed;
    bed.WritePackage();

    bool packageHeld = false;
    bool mapHeld = false;
    WhenModal<CUpdateDialog>([&](CUpdateDialog& welcome) {
        packageHeld = CurrentPackage().m_packageData != nullptr;
        mapHeld = CurrentPackage().m_mapImage != nullptr;
        QTest::mouseClick(welcome.CancelButton(), Qt::LeftButton);
    });

    CVornelApp app;
    EXPECT_EQ(app.InitInstance(), 0);

    EXPECT_TRUE(packageHeld);
    EXPECT_TRUE(mapHeld);
    EXPECT_EQ(CurrentPackage().m_packageData, nullptr);
    EXPECT_EQ(CurrentPackage().m_mapImage, nullptr);
    EXPECT_EQ(bed.harness.Backend().ReportCount(0), 0u);
    EXPECT_TRUE(bed.harness.Messages().empty());
}

TEST(WizardFlow, LoadFailureEndsWithExitCode1BeforeAnyPageIsShown)
{
    WizardTestBed bed;  // no package file beside the program

    // Should a page appear, note it and close it, so that the test ends.
    bool pageShown = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* page = QApplication::activeModalWidget()) {
            pageShown = true;
            page->hide();
        }
    });

    CVornelApp app;
    EXPECT_EQ(app.InitInstance(), 1);
    QCoreApplication::processEvents();

    EXPECT_FALSE(pageShown);
    // One box: the message, then the file and why it could not be used.
    const std::vector<std::string> messages = bed.harness.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].starts_with(std::string(kMsgCannotOpenPackage) + "\n/")) << messages[0];
    EXPECT_TRUE(messages[0].ends_with("/KT7_Down.dat：找不到该文件")) << messages[0];
    EXPECT_EQ(CurrentPackage().m_packageData, nullptr);
}

struct WizardEnding {
    const char* name;
    const char* simulate;
    int exitCode;
};

void PrintTo(const WizardEnding& ending, std::ostream* out)
{
    *out << ending.name;
}

class WizardEndingTest : public ::testing::TestWithParam<WizardEnding> {};

// The process ends with the code kt7-flash gives for the same ending.
TEST_P(WizardEndingTest, ExitCodeIsThatOfTheCommandLine)
{
    WizardTestBed bed(GetParam().simulate);
    bed.WritePackage();
    WhenModal<CUpdateDialog>([&](CUpdateDialog& welcome) {
        WhenModal<CProgressDialog>([&](CProgressDialog& page) {
            if (page.WorkerStarted()) {
                FinishUpdate(page);
            } else {
                QTest::mouseClick(page.ExitButton(), Qt::LeftButton);
            }
        });
        QTest::mouseClick(welcome.NextButton(), Qt::LeftButton);
    });

    CVornelApp app;
    app.SetProgressWatchPeriod(kManualTicks);
    EXPECT_EQ(app.InitInstance(), GetParam().exitCode);
}

INSTANTIATE_TEST_SUITE_P(Endings, WizardEndingTest,
                         ::testing::Values(WizardEnding{"success", "", 0},
                                           WizardEnding{"boot_loader_refused", "version=Z", 3},
                                           WizardEnding{"device_not_back_after_reset", "noreattach=0", 4},
                                           WizardEnding{"device_gone_while_writing", "unplug=0@20", 4}),
                         [](const ::testing::TestParamInfo<WizardEnding>& info) { return info.param.name; });

TEST(WizardFlow, NextWhileAnotherUpdateRunsSaysSoAndEndsWithExitCode5)
{
    WizardTestBed bed;
    bed.WritePackage();
    const std::string lockPath = bed.folder.File("update.lock");
    UpdateLock otherUpdate(lockPath);
    ASSERT_TRUE(otherUpdate.Held());

    WhenModal<CUpdateDialog>([&](CUpdateDialog& welcome) {
        FailIfProgressPageOpens();
        QTest::mouseClick(welcome.NextButton(), Qt::LeftButton);
    });
    CVornelApp app;
    app.SetUpdateLockPath(lockPath);
    app.SetProgressWatchPeriod(kManualTicks);
    EXPECT_EQ(app.InitInstance(), 5);
    QCoreApplication::processEvents();

    EXPECT_EQ(bed.harness.Messages(), std::vector<std::string>{kMsgAnotherUpdateRunning});
    EXPECT_EQ(bed.harness.Backend().ReportCount(0), 0u);
    EXPECT_EQ(CurrentPackage().m_packageData, nullptr);
}

// Ctrl-C while the worker writes: the process lives on, the update ends, and
// the page closes by itself at the end instead of waiting for Exit.
TEST(WizardFlow, InterruptDuringTheUpdateIsHeldUntilTheEnd)
{
    WizardTestBed bed;
    const PackageSpec contents = SamplePackageSpec();
    bed.WritePackage(contents);

    bool closedItself = false;
    WhenModal<CUpdateDialog>([&](CUpdateDialog& welcome) {
        WhenModal<CProgressDialog>([&](CProgressDialog& page) {
            ASSERT_TRUE(page.WorkerStarted());
            kill(getpid(), SIGINT);
            ASSERT_TRUE(PumpUntil([&] { return page.InterruptHeld(); }));
            ASSERT_TRUE(PumpUntil([&] { return page.m_bDone.load() != 0; }));
            DeliverWatchTick(page);
            closedItself = !page.isVisible();
        });
        QTest::mouseClick(welcome.NextButton(), Qt::LeftButton);
    });

    CVornelApp app;
    app.SetProgressWatchPeriod(kManualTicks);
    EXPECT_EQ(app.InitInstance(), 0);
    EXPECT_TRUE(closedItself);
    EXPECT_EQ(Flash(bed, contents.main->address, contents.main->data.size()), contents.main->data);
}

} // namespace
