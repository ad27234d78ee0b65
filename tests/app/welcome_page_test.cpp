// The welcome page: the summary box, the package's path, a dropped package,
// Return and Esc, and Next without a device.

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include "WizardTestBed.h"
#include "app/SummaryBox.h"
#include "app/UpdateDialog.h"
#include "texts/UserTexts.h"
#include "package/Package.h"
#include "texts/UserTexts.h"

namespace {

const std::string kDeviceNotFound =
    "无法找到设备，请确认：\n\n"
    "  1)USB线是否正常连接电脑和设备；\n\n"
    "  2)设备连接到电脑请等待2~3秒，待电脑识别到USB设备后，再升级；\n\n"
    "  3)如果还未识别请断开USB，再次连接，等待数秒后重试。";

// A loaded welcome page on screen, with Next having the focus.
struct ShownWelcome {
    explicit ShownWelcome(WizardTestBed& bed, bool writePackage = true) : wizard(bed.setup), page(wizard, bed.setup)
    {
        if (writePackage)
            bed.WritePackage();
        EXPECT_TRUE(page.OnInitDialog());
        page.show();
        page.activateWindow();
        QApplication::setActiveWindow(&page);
    }
    UpdateWizard wizard;
    CUpdateDialog page;
};

TEST(WelcomePage, NextWithoutDeviceShowsHelpAndStaysThenGoesOnOnceAttached)
{
    WizardTestBed bed;
    ShownWelcome welcome(bed);
    bed.harness.Backend().Detach(0);

    QTest::mouseClick(welcome.page.NextButton(), Qt::LeftButton);
    EXPECT_EQ(bed.harness.Messages(), std::vector<std::string>{kDeviceNotFound});
    EXPECT_TRUE(welcome.page.isVisible());
    EXPECT_EQ(welcome.page.result(), 0);
    EXPECT_EQ(bed.harness.Backend().ReportCount(0), 0u);

    bed.harness.Backend().Attach(0);
    bed.harness.prompter.Clear();
    bool progressShown = false;
    WhenModal<CProgressDialog>([&](CProgressDialog& page) {
        progressShown = true;
        FinishUpdate(page);
    });
    QTest::mouseClick(welcome.page.NextButton(), Qt::LeftButton);
    EXPECT_TRUE(progressShown);
    EXPECT_FALSE(welcome.page.isVisible());
    EXPECT_EQ(welcome.page.result(), QDialog::Accepted);
}

TEST(WelcomePage, NextWithDevicesOfTwoKindsSaysSoAndStays)
{
    WizardTestBed bed("devices=2;release=5512,0100");
    ShownWelcome welcome(bed);

    FailIfProgressPageOpens();
    QTest::mouseClick(welcome.page.NextButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
    // The box names the kinds it found and which package each would take.
    EXPECT_EQ(bed.harness.Messages(),
              std::vector<std::string>{MixedDevicesText("版本号 5512（升级文件 KT7_Down.dat）、版本号 0100（升级文件 "
                                                        "KT7_Down0100.dat）")});
    EXPECT_TRUE(welcome.page.isVisible());
    EXPECT_EQ(welcome.page.result(), 0);
    EXPECT_EQ(bed.harness.Backend().ReportCount(0), 0u);
    EXPECT_EQ(bed.harness.Backend().ReportCount(1), 0u);
}

TEST(WelcomePage, ReturnPressesNextExceptInTheSummaryBox)
{
    WizardTestBed bed("devices=0");  // Next then answers with the help box
    ShownWelcome welcome(bed);
    bed.harness.prompter.Clear();  // the start-up's "connect a device" note

    welcome.page.SummaryEdit()->setFocus();
    QTest::keyClick(welcome.page.SummaryEdit(), Qt::Key_Return);
    QTest::keyClick(welcome.page.SummaryEdit(), Qt::Key_Enter);
    EXPECT_TRUE(bed.harness.Messages().empty()) << "Return in the summary box reached Next";
    EXPECT_TRUE(welcome.page.isVisible());

    welcome.page.NextButton()->setFocus();
    QTest::keyClick(welcome.page.NextButton(), Qt::Key_Return);
    EXPECT_EQ(bed.harness.Messages(), std::vector<std::string>{kDeviceNotFound});
    EXPECT_TRUE(welcome.page.isVisible());
}

TEST(WelcomePage, NextHasTheFocusAndEscActsAsCancel)
{
    WizardTestBed bed;
    ShownWelcome welcome(bed);
    EXPECT_TRUE(welcome.page.NextButton()->hasFocus());
    EXPECT_TRUE(welcome.page.NextButton()->isDefault());

    QTest::keyClick(&welcome.page, Qt::Key_Escape);
    EXPECT_FALSE(welcome.page.isVisible());
    EXPECT_EQ(welcome.page.result(), QDialog::Rejected);
    EXPECT_EQ(bed.harness.Backend().ReportCount(0), 0u);
}

TEST(WelcomePage, SummaryBoxIsReadOnlyUnwrappedAndScrollsBothWays)
{
    WizardTestBed bed;
    ShownWelcome welcome(bed);
    SummaryBox* box = welcome.page.SummaryEdit();
    EXPECT_TRUE(box->toPlainText().contains(QStringLiteral("\n")));
    EXPECT_FALSE(box->toPlainText().contains(QStringLiteral("\r")));

    box->setPlainText(QString(400, QLatin1Char('W')) + QString(40, QLatin1Char('\n')));
    QCoreApplication::processEvents();
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_EQ(box->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_GT(box->horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(box->verticalScrollBar()->maximum(), 0);

    box->setFocus();
    QTest::keyClicks(box, "typed");
    EXPECT_FALSE(box->toPlainText().contains(QStringLiteral("typed")));
}

QString PathPrefix()
{
    return QString::fromUtf8("升级文件：");
}

TEST(WelcomePage, ShowsThePackagesPathElidedInTheMiddleWhenLong)
{
    WizardTestBed bed;
    const std::string deep = bed.folder.File(std::string(150, 'd') + "/" + std::string(150, 'e'));
    std::filesystem::create_directories(deep);
    bed.WritePackage(SamplePackageSpec(), std::string(150, 'd') + "/" + std::string(150, 'e') + "/KT7_Down.dat");
    ShownWelcome shortPath(bed);
    EXPECT_EQ(shortPath.page.PackagePathLabel()->text(),
              PathPrefix() + QString::fromStdString(bed.folder.File("KT7_Down.dat")));

    bed.setup.places.choice = deep;
    ShownWelcome longPath(bed);
    QLabel* label = longPath.page.PackagePathLabel();
    const QString text = label->text();
    EXPECT_EQ(label->toolTip().toStdString(), deep + "/KT7_Down.dat");
    EXPECT_TRUE(text.startsWith(PathPrefix() + QString::fromStdString(bed.folder.Path()).left(5))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("/KT7_Down.dat"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QChar(0x2026))) << text.toStdString();
    EXPECT_LE(label->fontMetrics().horizontalAdvance(text), label->contentsRect().width());
}

struct DropCase {
    const char* name;
    std::vector<const char*> urls;  // "good" and "damaged" name files in the test's folder
    bool accepted;
    std::vector<std::string> messages;
    bool replaced;
};

class WelcomeDrop : public testing::TestWithParam<DropCase> {};

TEST_P(WelcomeDrop, LoadsADroppedPackageFileAndKeepsTheOldOneOtherwise)
{
    const DropCase& c = GetParam();
    WizardTestBed bed;
    ShownWelcome welcome(bed);
    PackageSpec dropped = SamplePackageSpec();
    dropped.updateTime = "dropped";
    bed.WritePackage(dropped, "good.dat");
    WriteBytesToFile(bed.folder.File("damaged.dat"), {'K', 'T', '7'});
    const QString summaryBefore = welcome.page.SummaryEdit()->toPlainText();
    const QString pathBefore = welcome.page.PackagePathLabel()->toolTip();

    QMimeData data;
    QList<QUrl> urls;
    for (const std::string url : c.urls) {
        urls.push_back(url == "good" || url == "damaged" ? QUrl::fromLocalFile(QString::fromStdString(
                                                               bed.folder.File(url + ".dat")))
                                                         : QUrl(QString::fromStdString(url)));
    }
    data.setUrls(urls);
    const QPoint middle = welcome.page.rect().center();
    QDragEnterEvent enter(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&welcome.page, &enter);
    EXPECT_TRUE(welcome.page.acceptDrops());
    EXPECT_EQ(enter.isAccepted(), c.accepted);
    QDropEvent drop(QPointF(middle), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&welcome.page, &drop);
    QCoreApplication::processEvents();

    // Each box's first line is the message; the lines after it name the file.
    std::vector<std::string> firstLines;
    for (const std::string& message : bed.harness.Messages())
        firstLines.push_back(message.substr(0, message.find('\n')));
    EXPECT_EQ(firstLines, c.messages);
    const QString summary = welcome.page.SummaryEdit()->toPlainText();
    const QString path = welcome.page.PackagePathLabel()->toolTip();
    if (c.replaced) {
        EXPECT_TRUE(summary.contains(QStringLiteral("Update Time:dropped"))) << summary.toStdString();
        EXPECT_EQ(path.toStdString(), bed.folder.File("good.dat"));
    } else {
        EXPECT_EQ(summary, summaryBefore);
        EXPECT_EQ(path, pathBefore);
    }
    EXPECT_NE(welcome.wizard.Package(), nullptr) << "a package is always in use";
}

const DropCase kDropCases[] = {
    {"PackageFileReplacesSummaryAndPath", {"good"}, true, {}, true},
    {"DamagedFileIsReportedAndThePackageStays", {"damaged"}, true, {kMsgPackageReadError}, false},
    {"TwoFilesAreRefused", {"good", "damaged"}, false, {}, false},
    {"WebAddressIsRefused", {"https://example.invalid/KT7_Down.dat"}, false, {}, false},
    {"NoAddressIsRefused", {}, false, {}, false},
};

INSTANTIATE_TEST_SUITE_P(Cases, WelcomeDrop, testing::ValuesIn(kDropCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

namespace {

// The welcome page loaded with no device attached (the generic package),
// and a device of release 0100, whose own package lies beside the generic
// one, plugged in before Next.
struct KindChange {
    explicit KindChange(bool specificPackagePresent) : bed("devices=1;release=0100;arrive=60000")
    {
        PackageSpec generic = SamplePackageSpec();
        generic.updateTime = "generic";
        bed.WritePackage(generic);
        specific.updateTime = "specific";
        if (specificPackagePresent)
            bed.WritePackage(specific, "KT7_Down0100.dat");
        welcome = std::make_unique<ShownWelcome>(bed, false);
        bed.harness.prompter.Clear();  // the start-up's "connect a device" note
        bed.harness.Backend().Attach(0);
    }
    QString Summary() const { return welcome->page.SummaryEdit()->toPlainText(); }

    WizardTestBed bed;
    PackageSpec specific = SamplePackageSpec();
    std::unique_ptr<ShownWelcome> welcome;
};

TEST(WelcomePage, ADeviceOfAnotherKindPluggedInBeforeNextGetsItsPackageShownFirst)
{
    KindChange change(true);
    ASSERT_TRUE(change.Summary().contains(QStringLiteral("Update Time:generic")));

    FailIfProgressPageOpens();
    QTest::mouseClick(change.welcome->page.NextButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(change.welcome->page.isVisible()) << "nothing is written that the user has not seen";
    EXPECT_TRUE(change.Summary().contains(QStringLiteral("Update Time:specific"))) << change.Summary().toStdString();
    EXPECT_EQ(change.welcome->page.PackagePathLabel()->toolTip().toStdString(),
              change.bed.folder.File("KT7_Down0100.dat"));
    ASSERT_EQ(change.bed.harness.Messages().size(), 1u);
    EXPECT_NE(change.bed.harness.Messages()[0].find(change.bed.folder.File("KT7_Down0100.dat")), std::string::npos);
    EXPECT_EQ(change.bed.harness.Backend().ReportCount(0), 0u);

    // Next again: the device is updated with its own package and its codes.
    change.bed.harness.prompter.Clear();
    bool succeeded = false;
    WhenModal<CProgressDialog>([&](CProgressDialog& page) {
        FinishUpdate(page);
        succeeded = change.welcome->wizard.End().outcome == UpdateOutcome::Success;
    });
    QTest::mouseClick(change.welcome->page.NextButton(), Qt::LeftButton);
    EXPECT_TRUE(succeeded);
    EXPECT_EQ(change.welcome->wizard.Devices().m_cmdCodeOffset, 0x40);
    EXPECT_EQ(FlashBytes(change.bed.harness.Firmware(0), change.specific.main->address, change.specific.main->data.size()),
              change.specific.main->data);
}

TEST(WelcomePage, ADeviceOfAnotherKindWithoutItsPackageIsToldSoAndNothingIsSent)
{
    KindChange change(false);
    FailIfProgressPageOpens();
    QTest::mouseClick(change.welcome->page.NextButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(change.welcome->page.isVisible());
    ASSERT_EQ(change.bed.harness.Messages().size(), 1u);
    EXPECT_EQ(change.bed.harness.Messages()[0],
              std::string(kMsgCannotOpenPackage) + "\n" + change.bed.folder.File("KT7_Down0100.dat") +
                  "：找不到该文件（版本号为 0100 的设备只用这个专用的升级文件）");
    EXPECT_TRUE(change.Summary().contains(QStringLiteral("Update Time:generic")));
    EXPECT_EQ(change.bed.harness.Backend().ReportCount(0), 0u);
}

} // namespace
