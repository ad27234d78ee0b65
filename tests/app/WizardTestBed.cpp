#include "WizardTestBed.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTest>
#include <QTimerEvent>
#include <chrono>
#include <gtest/gtest.h>


WizardTestBed::WizardTestBed(const std::string& simulate) : harness(simulate) {}

ReadyWizard::ReadyWizard(WizardTestBed& bed) : wizard(bed.setup)
{
    bed.WritePackage();
    EXPECT_EQ(wizard.Start().kind, WelcomeState::Kind::Loaded);
    EXPECT_EQ(wizard.Next().kind, NextAnswer::Kind::GoOn);
}

void WizardTestBed::WritePackage(const PackageSpec& contents, const std::string& name)
{
    std::string error;
    ASSERT_TRUE(WritePackageFile(folder.File(name), contents, &error)) << error;
}

namespace {

std::unique_ptr<QObject> g_testScope;

class TestScopeTracker : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { g_testScope = std::make_unique<QObject>(); }
    void OnTestEnd(const testing::TestInfo&) override { g_testScope.reset(); }
};

} // namespace

QObject* TestScope()
{
    if (!g_testScope)
        g_testScope = std::make_unique<QObject>();
    return g_testScope.get();
}

void TrackTestScope()
{
    testing::UnitTest::GetInstance()->listeners().Append(new TestScopeTracker);
}

bool PumpUntil(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void DeliverWatchTick(CProgressDialog& page)
{
    ASSERT_NE(page.WatchTimerId(), 0) << "no watch timer runs";
    QTimerEvent tick(page.WatchTimerId());
    QCoreApplication::sendEvent(&page, &tick);
}

void FinishUpdate(CProgressDialog& page)
{
    ASSERT_TRUE(PumpUntil([&] { return page.Done(); }));
    DeliverWatchTick(page);
    ASSERT_TRUE(page.ExitButton()->isEnabled());
    QTest::mouseClick(page.ExitButton(), Qt::LeftButton);
}

void FailIfProgressPageOpens()
{
    QTimer::singleShot(0, TestScope(), [] {
        if (auto* page = dynamic_cast<CProgressDialog*>(QApplication::activeModalWidget())) {
            ADD_FAILURE() << "the progress page opened";
            if (page->WorkerStarted())
                FinishUpdate(*page);
            else
                QTest::mouseClick(page->ExitButton(), Qt::LeftButton);
        }
    });
}
