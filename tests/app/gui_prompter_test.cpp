// Message boxes through the GUI prompter: shown on the GUI thread with their
// caption and icon, while a calling worker waits.

#include <QAbstractButton>
#include <QMessageBox>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

#include "WizardTestBed.h"
#include "app/GuiPrompter.h"
#include "app/WizardFrame.h"
#include "platform/ProgramDirectory.h"

namespace {

TEST(GuiPrompter, WorkerMessageIsShownOnTheGuiThreadAndTheWorkerWaitsForOk)
{
    GuiPrompter prompter;
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        prompter.ShowMessage("无法打开USB设备！");
        returned = true;
    });

    // The box runs its own modal loop on this thread; look at it from there.
    bool shown = false;
    WhenModal<QMessageBox>([&](QMessageBox& box) {
        shown = true;
        EXPECT_EQ(box.text(), QString::fromUtf8("无法打开USB设备！"));
        EXPECT_EQ(box.windowTitle(), QString::fromStdString(GetProgramName()));
        EXPECT_EQ(box.icon(), QMessageBox::NoIcon);
        EXPECT_FALSE(returned.load()) << "the worker went on before the box was closed";
        box.button(QMessageBox::Ok)->click();
    });
    EXPECT_TRUE(PumpUntil([&] { return returned.load(); }));
    EXPECT_TRUE(shown);
    worker.join();
}

TEST(GuiPrompter, PageWarningCarriesThePageCaptionAndIcon)
{
    GuiPrompter prompter;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, TestScope(), [&] {
        if (auto* box = dynamic_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            icon = box->icon();
            box->button(QMessageBox::Ok)->click();
        }
    });
    ShowPageMessage(prompter, nullptr, "升级过程中请勿移动电子狗或USB连接线！", PageCaption(), QMessageBox::Warning);
    EXPECT_EQ(title, PageCaption());
    EXPECT_EQ(icon, QMessageBox::Warning);
}

} // namespace
