// The wizard from start to end: load, Next, the update, Exit; Cancel; a
// package that is missing (the file dialog) or does not load; the exit code
// of each ending; another update running; an interruption while the devices
// are busy.

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <optional>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include "WizardTestBed.h"
#include "app/SummaryBox.h"
#include "app/UpdateDialog.h"
#include "app/VornelApp.h"
#include "package/Package.h"
#include "texts/UserTexts.h"
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
    bool packageHeldAfterTheRun = true;
    std::string finalStatus;
    int finalPercent = -1;
    WhenModal<CUpdateDialog>([&](CUpdateDialog& welcome) {
        summaryShown = !welcome.SummaryEdit()->toPlainText().isEmpty();
        WhenModal<CProgressDialog>([&](CProgressDialog& page) {
            FinishUpdate(page);
            finalStatus = page.StatusLabel()->text().toStdString();
            finalPercent = page.ProgressBar()->value();
            packageHeldAfterTheRun = welcome.Wizard().Package() != nullptr;
        });
        QTest::mouseClick(welcome.NextButton(), Qt::LeftButton);
    });

    CVornelApp app(bed.setup);
    EXPECT_EQ(app.InitInstance(), 0);

    EXPECT_TRUE(summaryShown);
    EXPECT_EQ(finalStatus.rfind(kSuccessPrefix, 0), 0u) << finalStatus;
    EXPECT_EQ(finalPercent, 100);
    EXPECT_EQ(bed.harness.Messages(), std::vector<std::string>{kDoNotDisturb});
    EXPECT_EQ(Flash(bed, contents.main->address, contents.main->data.size()), contents.main->data);
    EXPECT_EQ(Flash(bed, contents.voice->address, contents.voice->data.size()), contents.voice->data);
    EXPECT_FALSE(packageHeldAfterTheRun) << "the run takes the package, and releases it when it ends";
}

TEST(WizardFlow, CancelReleasesThePackageAndSendsNoDeviceCommand)
{
    WizardTestBed bed;
    bed.WritePackage();

    bool packageHeld = false;
    bool mapHeld = false;
    WhenModal<CUpdateDialog>([&](CUpdateDialog& welcome) {
        packageHeld = welcome.Wizard().Package() != nullptr;
        mapHeld = packageHeld && welcome.Wizard().Package()->mapImage != nullptr;
        QTest::mouseClick(welcome.CancelButton(), Qt::LeftButton);
    });

    CVornelApp app(bed.setup);
    EXPECT_EQ(app.InitInstance(), 0);

    EXPECT_TRUE(packageHeld);
    EXPECT_TRUE(mapHeld);
    EXPECT_EQ(bed.harness.Backend().ReportCount(0), 0u);
    EXPECT_TRUE(bed.harness.Messages().empty());
}

// The Downloads folder of the file dialog, pointed at a folder of the test's
// own through the user-dirs file that QStandardPaths reads on every call.
class ScopedDownloads {
public:
    ScopedDownloads() : m_savedConfigHome(qgetenv("XDG_CONFIG_HOME"))
    {
        std::ofstream(m_config.File("user-dirs.dirs")) << "XDG_DOWNLOAD_DIR=\"" << Path() << "\"\n";
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_config.Path()));
    }
    ~ScopedDownloads()
    {
        if (m_savedConfigHome.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", m_savedConfigHome);
    }
    std::string Path() const { return m_folder.Path().substr(0, m_folder.Path().size() - 1); }
    std::string File(const std::string& name) const { return m_folder.File(name); }

private:
    PackageTempDir m_folder;
    PackageTempDir m_config;
    QByteArray m_savedConfigHome;
};

// Too short to hold even the key block: it fails as it is read.
void WriteDamagedPackage(const std::string& path)
{
    WriteBytesToFile(path, {'K', 'T', '7'});
}

struct StartCase {
    const char* name;
    const char* besideProgram;         // "good", "damaged", or null for no package
    std::vector<const char*> answers;  // the file dialog's answers in turn: "good"/"damaged", null cancels
    int exitCode;
    std::vector<std::string> messages;
};

class WizardStart : public testing::TestWithParam<StartCase> {};

TEST_P(WizardStart, AsksForAMissingPackageOnlyAndEndsWith1WithoutOne)
{
    const StartCase& c = GetParam();
    WizardTestBed bed;
    ScopedDownloads downloads;
    WriteDamagedPackage(downloads.File("KT7_Down_damaged.dat"));
    std::string error;
    ASSERT_TRUE(WritePackageFile(downloads.File("KT7_Down.dat"), SamplePackageSpec(), &error)) << error;
    if (c.besideProgram && std::string(c.besideProgram) == "good")
        bed.WritePackage();
    else if (c.besideProgram)
        WriteDamagedPackage(bed.folder.File("KT7_Down.dat"));
    auto answerFile = [&](const char* answer) {
        return downloads.File(std::string(answer) == "good" ? "KT7_Down.dat" : "KT7_Down_damaged.dat");
    };

    // Every page that shows up is noted and closed: a file dialog with the
    // next answer, the welcome page with Cancel. The looks are owned by
    // `looks`, declared after all they touch, so none can run once the case
    // has ended, not even one still pending at its end.
    std::vector<std::string> dialogFolders;
    std::string shownPath;
    bool summaryShown = false;
    size_t nextAnswer = 0;
    std::function<void()> closeNextPage;
    auto looks = std::make_unique<QObject>();
    closeNextPage = [&] {
        QTimer::singleShot(10, looks.get(), [&] {
            QWidget* page = QApplication::activeModalWidget();
            if (auto* dialog = dynamic_cast<QFileDialog*>(page)) {
                EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("选择升级文件"));
                EXPECT_EQ(dialog->nameFilters(), QStringList{QString::fromUtf8("升级文件 (KT7_Down*.dat)")});
                dialogFolders.push_back(dialog->directory().absolutePath().toStdString());
                const char* answer = nextAnswer < c.answers.size() ? c.answers[nextAnswer++] : nullptr;
                if (answer) {
                    const QString file = QString::fromStdString(answerFile(answer));
                    // selectFile leaves the name box alone while it has the
                    // focus, which it gets once the window system has
                    // activated the dialog - at times before this look, at
                    // times after. Without the focus the choice always lands.
                    if (QWidget* focused = dialog->focusWidget())
                        focused->clearFocus();
                    dialog->selectFile(file);
                    EXPECT_EQ(dialog->selectedFiles(), QStringList{file});
                    QMetaObject::invokeMethod(dialog, "accept");
                    // A dialog that stays open would take the next answer,
                    // meant for the next dialog, and hide this fault.
                    if (dialog->isVisible()) {
                        ADD_FAILURE() << "the file dialog did not take " << answer;
                        dialog->reject();
                    }
                } else {
                    dialog->reject();
                }
            } else if (auto* welcome = dynamic_cast<CUpdateDialog*>(page)) {
                summaryShown = welcome->SummaryEdit()->toPlainText().contains(QStringLiteral("Solution:"));
                shownPath = welcome->PackagePathLabel()->toolTip().toStdString();
                welcome->reject();
                return;
            }
            closeNextPage();
        });
    };
    closeNextPage();

    CVornelApp app(bed.setup);
    EXPECT_EQ(app.InitInstance(), c.exitCode);
    looks.reset();  // the look still pending after the last page is cancelled

    EXPECT_EQ(dialogFolders, std::vector<std::string>(c.answers.size(), downloads.Path()));
    // Each box's first line is the message; the lines after it name the file.
    std::vector<std::string> firstLines;
    for (const std::string& message : bed.harness.Messages())
        firstLines.push_back(message.substr(0, message.find('\n')));
    EXPECT_EQ(firstLines, c.messages);
    EXPECT_EQ(summaryShown, c.exitCode == 0);
    if (c.exitCode == 0) {
        const std::string expectedPath = c.answers.empty() ? bed.folder.File("KT7_Down.dat") : answerFile("good");
        EXPECT_EQ(shownPath, expectedPath);
    }
    EXPECT_EQ(bed.harness.Backend().ReportCount(0), 0u);
}

const StartCase kStartCases[] = {
    {"PackageBesideTheProgramNeedsNoDialog", "good", {}, 0, {}},
    {"DamagedPackageEndsWithoutADialog", "damaged", {}, 1, {kMsgPackageReadError}},
    {"MissingPackageIsAskedForAndTheChoiceLoaded", nullptr, {"good"}, 0, {kMsgCannotOpenPackage}},
    {"CancellingTheDialogEndsWithExitCode1", nullptr, {nullptr}, 1, {kMsgCannotOpenPackage}},
    {"ADamagedChoiceIsReportedAndAskedForAgain", nullptr, {"damaged", "good"}, 0,
     {kMsgCannotOpenPackage, kMsgPackageReadError}},
    {"GivingUpAfterADamagedChoiceEndsWithExitCode1", nullptr, {"damaged", nullptr}, 1,
     {kMsgCannotOpenPackage, kMsgPackageReadError}},
};

INSTANTIATE_TEST_SUITE_P(Cases, WizardStart, testing::ValuesIn(kStartCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WizardFlow, NamedPackageIsLoadedWhateverItsName)
{
    WizardTestBed bed;
    bed.WritePackage(SamplePackageSpec(), "update from the dealer.bin");
    bed.setup.places.choice = bed.folder.File("update from the dealer.bin");

    std::string shownPath;
    WhenModal<CUpdateDialog>([&](CUpdateDialog& welcome) {
        shownPath = welcome.PackagePathLabel()->toolTip().toStdString();
        welcome.reject();
    });
    CVornelApp app(bed.setup);
    EXPECT_EQ(app.InitInstance(), 0);
    EXPECT_EQ(shownPath, bed.setup.places.choice);
    EXPECT_TRUE(bed.harness.Messages().empty());
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
// A failed update's status line also names the run's log.
TEST_P(WizardEndingTest, ExitCodeIsThatOfTheCommandLine)
{
    WizardTestBed bed(GetParam().simulate);
    bed.WritePackage();
    // A log that keeps what it is given, at the place a user's log is.
    struct LoggedDiagnostics final : DiagnosticsSink {
        void Write(std::string_view text) override { captured.Write(text); }
        std::string LogPath() const override { return "/home/user/.local/state/kt7-updater/kt7-updater.log"; }
        bool HoldsErrors() const override { return captured.HoldsErrors(); }
        CapturingDiagnostics captured;
    } log;
    RunContext context{bed.harness.Backend(), bed.harness.clock, bed.harness.prompter, log};
    const WizardSetup setup{context, bed.setup.places, false, "", kManualTicks};
    QString logLine;
    QString status;
    WhenModal<CUpdateDialog>([&](CUpdateDialog& welcome) {
        WhenModal<CProgressDialog>([&](CProgressDialog& page) {
            ASSERT_TRUE(PumpUntil([&] { return page.Done(); }));
            DeliverWatchTick(page);
            status = page.StatusLabel()->text();
            if (page.LogLine())
                logLine = page.LogLine()->text();
            QTest::mouseClick(page.ExitButton(), Qt::LeftButton);
        });
        QTest::mouseClick(welcome.NextButton(), Qt::LeftButton);
    });

    CVornelApp app(setup);
    EXPECT_EQ(app.InitInstance(), GetParam().exitCode);
    // A failure points at the log, whole; a failed update names the device.
    const QString pointer = QString::fromUtf8("详细信息见日志：/home/user/.local/state/kt7-updater/kt7-updater.log");
    EXPECT_EQ(logLine, GetParam().exitCode != 0 ? pointer : QString());
    if (GetParam().exitCode == 4) {
        EXPECT_TRUE(status.endsWith(QString::fromUtf8("（设备 sim-0）"))) << status.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Endings, WizardEndingTest,
                         ::testing::Values(WizardEnding{"success", "", 0},
                                           WizardEnding{"boot_loader_refused", "version=Z", 3},
                                           WizardEnding{"device_not_back_after_reset", "noreattach=0", 4},
                                           WizardEnding{"device_gone_while_writing", "unplug=0@20", 4}),
                         [](const ::testing::TestParamInfo<WizardEnding>& info) { return info.param.name; });

// Another update holds the devices: the welcome page says so and stays, and
// Next goes on once that update is over.
TEST(WizardFlow, NextWhileAnotherUpdateRunsSaysSoAndStays)
{
    WizardTestBed bed;
    bed.WritePackage();
    const std::string lockPath = bed.folder.File("update.lock");
    NullDiagnostics noLog;
    std::optional<UpdateLock> otherUpdate;
    otherUpdate.emplace(lockPath, noLog);
    ASSERT_TRUE(otherUpdate->Held());

    bool stayed = false;
    bool updated = false;
    WhenModal<CUpdateDialog>([&](CUpdateDialog& welcome) {
        FailIfProgressPageOpens();
        QTest::mouseClick(welcome.NextButton(), Qt::LeftButton);
        QCoreApplication::processEvents();
        stayed = welcome.isVisible();
        EXPECT_EQ(bed.harness.Messages(), std::vector<std::string>{kMsgAnotherUpdateRunning});
        EXPECT_EQ(bed.harness.Backend().ReportCount(0), 0u);

        otherUpdate.reset();
        WhenModal<CProgressDialog>([&](CProgressDialog& page) {
            FinishUpdate(page);
            updated = true;
        });
        QTest::mouseClick(welcome.NextButton(), Qt::LeftButton);
    });
    bed.setup.lockPath = lockPath;
    CVornelApp app(bed.setup);
    EXPECT_EQ(app.InitInstance(), 0);
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(updated);
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
            ASSERT_TRUE(PumpUntil([&] { return page.Done(); }));
            DeliverWatchTick(page);
            closedItself = !page.isVisible();
        });
        QTest::mouseClick(welcome.NextButton(), Qt::LeftButton);
    });

    CVornelApp app(bed.setup);
    EXPECT_EQ(app.InitInstance(), 0);
    EXPECT_TRUE(closedItself);
    EXPECT_EQ(Flash(bed, contents.main->address, contents.main->data.size()), contents.main->data);
}

} // namespace
