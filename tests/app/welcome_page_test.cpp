// The welcome page: the summary box, Return and Esc, and Next without a
// device.

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include "WizardTestBed.h"
#include "app/SummaryBox.h"
#include "app/UpdateDialog.h"
#include "hid/MixedDevices.h"

namespace {

const std::string kDeviceNotFound =
    "无法找到设备，请确认：\n\n"
    "  1)USB线是否正常连接电脑和设备；\n\n"
    "  2)设备连接到电脑请等待2~3秒，待电脑识别到USB设备后，再升级；\n\n"
    "  3)如果还未识别请断开USB，再次连接，等待数秒后重试。";

// A loaded welcome page on screen, with Next having the focus.
struct ShownWelcome {
    explicit ShownWelcome(WizardTestBed& bed)
    {
        bed.WritePackage();
        page.SetProgressWatchPeriod(kManualTicks);
        EXPECT_TRUE(page.OnInitDialog());
        page.show();
        page.activateWindow();
        QApplication::setActiveWindow(&page);
    }
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
    EXPECT_EQ(bed.harness.Messages(), std::vector<std::string>{kMsgMixedDevices});
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

} // namespace
