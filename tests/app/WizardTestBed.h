#pragma once
// Test bed for the wizard: simulated devices on a virtual clock, recorded
// message boxes, a package file in a folder of its own that stands in for
// the program's directory, and helpers that drive modal pages.

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <string>

#include "app/ProgressDialog.h"
#include "wizard/UpdateWizard.h"
#include "wizard/WizardSetup.h"
#include "support/EngineHarness.h"
#include "support/PackageTestFiles.h"

// The watch period the tests give the progress page: long enough never to
// fire by itself, so that the tests deliver every tick.
inline constexpr int kManualTicks = 24 * 3600 * 1000;

class WizardTestBed {
public:
    // `simulate`: KT7_SIMULATE-style text for the simulated devices.
    explicit WizardTestBed(const std::string& simulate = "");

    void WritePackage(const PackageSpec& contents = SamplePackageSpec(), const std::string& name = "KT7_Down.dat");

    EngineHarness harness;
    // Stands for the program's folder.
    PackageTempDir folder;
    // What the wizard is started with: the harness's services, the package
    // looked for in `folder`, no lock, and watch ticks the test delivers.
    WizardSetup setup{harness.context, {"", folder.Path(), ""}, false, "", kManualTicks};
};

// A wizard on the bed's package that has gone on past Next, for a progress
// page of its own.
struct ReadyWizard {
    explicit ReadyWizard(WizardTestBed& bed);
    UpdateWizard wizard;
};

// Runs the event loop until `done` holds; false if it still does not after a
// generous wall-clock bound (the test then fails instead of hanging).
bool PumpUntil(const std::function<bool()>& done);

// Delivers one tick of the page's watch timer, as the timer would.
void DeliverWatchTick(CProgressDialog& page);

// Owner of the looks the helpers below schedule: made for each test and
// destroyed at its end, so that a look still waiting when its test ends (the
// page never came) is dropped instead of acting, with the captures of a test
// that is gone, on a page of a later test.
QObject* TestScope();

// Makes TestScope() follow the tests; called once from main.
void TrackTestScope();

// Runs `action` on the modal page of type T once it is shown; `action` runs
// inside that page's modal loop and must close the page.
template <class T>
void WhenModal(std::function<void(T&)> action,
               std::chrono::steady_clock::time_point giveUpAt = std::chrono::steady_clock::now() +
                                                                std::chrono::seconds(30))
{
    QTimer::singleShot(0, TestScope(), [action, giveUpAt] {
        if (auto* page = dynamic_cast<T*>(QApplication::activeModalWidget()); page && page->isVisible()) {
            action(*page);
            // A failed step may leave the page open: close it, or the test
            // would wait in its modal loop for ever.
            if (page->isVisible()) {
                ADD_FAILURE() << "the page was left open";
                page->QDialog::done(QDialog::Rejected);
            }
        } else if (std::chrono::steady_clock::now() < giveUpAt) {
            WhenModal<T>(action, giveUpAt);
        } else {
            ADD_FAILURE() << "the expected page was never shown";
            if (QWidget* other = QApplication::activeModalWidget())
                other->hide();
        }
    });
}

// Waits for the worker, delivers the first tick after m_bDone and presses
// Exit: the normal end of an update.
void FinishUpdate(CProgressDialog& page);

// For an action that must not open the progress page: should the page open
// at the next pass of the event loop, the test fails and the page is run to
// its end instead of leaving the test waiting. Process events after the
// action, so that the check is spent inside the test.
void FailIfProgressPageOpens();
