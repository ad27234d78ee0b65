// Dialog units, the dialog font and the banner.

#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

#include "WizardTestBed.h"

#include <cstdlib>

#include "app/DialogFont.h"
#include "app/DialogUnits.h"
#include "app/UpdateDialog.h"
#include "app/WizardFrame.h"
#include "backends/BackendSelection.h"

namespace {

struct UnitsCase {
    const char* what;
    int baseWidth;
    int baseHeight;
    int units;
    int expectedX;
    int expectedY;
};

TEST(DialogUnits, ScaleByAQuarterOfTheWidthAndAnEighthOfTheHeightRounded)
{
    const UnitsCase cases[] = {
        {"zero stays zero", 7, 14, 0, 0, 0},
        {"exact quarters and eighths", 8, 16, 4, 8, 8},
        {"rounds half up", 6, 12, 1, 2, 2},          // 1.5 and 1.5
        {"rounds down below half", 7, 14, 7, 12, 12},  // 12.25 and 12.25
        {"the page width", 7, 14, 230, 403, 403},     // 402.5 and 402.5
        {"the banner box", 7, 14, 205, 359, 359},     // 358.75 and 358.75
    };
    for (const UnitsCase& c : cases) {
        SCOPED_TRACE(c.what);
        const DialogUnits units(c.baseWidth, c.baseHeight);
        EXPECT_EQ(units.X(c.units), c.expectedX);
        EXPECT_EQ(units.Y(c.units), c.expectedY);
    }
}

TEST(DialogFont, MapsToAnInstalledSimplifiedChineseFont)
{
    const QString family = QFontInfo(DialogFont()).family();
    EXPECT_TRUE(family == QStringLiteral("Noto Serif CJK SC") || family == QStringLiteral("WenQuanYi Micro Hei"))
        << family.toStdString();
}

TEST(WizardFrame, PageKeepsTheTemplateProportionsAndShowsTheBannerAtRealSize)
{
    WizardTestBed bed;
    UpdateWizard wizard(bed.setup);
    CUpdateDialog page(wizard, bed.setup);
    const DialogUnits units(page.font());
    EXPECT_EQ(page.size(), QSize(units.X(kPageWidthUnits), units.Y(kPageHeightUnits)));
    EXPECT_EQ(page.NextButton()->geometry(), units.Rect(110, 190, 50, 14));
    EXPECT_EQ(page.windowTitle(), PageCaption());

    bool bannerFound = false;
    for (QLabel* label : page.findChildren<QLabel*>()) {
        if (label->pixmap().isNull())
            continue;
        bannerFound = true;
        EXPECT_EQ(label->pixmap().size(), QSize(358, 109));
        EXPECT_EQ(label->size(), QSize(358, 109));
        EXPECT_EQ(label->pos(), QPoint(units.X(12), units.Y(7)));
    }
    EXPECT_TRUE(bannerFound) << "the banner resource is missing";
}

TEST(WizardFrame, CaptionSaysWhenTheDevicesAreSimulated)
{
    const QString real = QString::fromUtf8("预警仪升级工具（适用KT7.0方案）");
    ASSERT_EQ(std::getenv(kSimulateVariable), nullptr);
    WizardTestBed bed;
    UpdateWizard wizard(bed.setup);
    EXPECT_EQ(CUpdateDialog(wizard, bed.setup).windowTitle(), real);

    setenv(kSimulateVariable, "devices=1", 1);
    const QString simulated = CUpdateDialog(wizard, bed.setup).windowTitle();
    unsetenv(kSimulateVariable);
    EXPECT_EQ(simulated, real + QString::fromUtf8(" [模拟设备]"));
}

} // namespace
