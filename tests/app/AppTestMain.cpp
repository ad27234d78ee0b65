// The GUI tests share one QApplication; they run without a display.

#include <QApplication>
#include <gtest/gtest.h>

#include "WizardTestBed.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The tests pump events inside handlers of posted events (the modal
    // pages' loops); the glib dispatcher then at times leaves a worker's
    // queued call undelivered, the plain Unix dispatcher never does.
    qputenv("QT_NO_GLIB", "1");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    TrackTestScope();
    return RUN_ALL_TESTS();
}
