#include "app/WizardFrame.h"

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

#include "app/DialogFont.h"
#include "backends/BackendSelection.h"
#include "texts/UserTexts.h"

namespace {

constexpr int kBannerX = 12;
constexpr int kBannerY = 7;

} // namespace

QString PageCaption()
{
    QString caption = QString::fromUtf8(kPageCaption);
    // Simulated devices must never pass for a real update.
    if (SimulatedDevicesInUse())
        caption += QString::fromUtf8(kSimulatedCaptionSuffix);
    return caption;
}

void CenterOnScreen(QWidget& page)
{
    const QScreen* screen = page.screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    page.move(area.center() - QPoint(page.width() / 2, page.height() / 2));
}

DialogUnits SetUpWizardFrame(QDialog& page)
{
    page.setFont(DialogFont());
    page.setWindowTitle(PageCaption());
    // Caption with system menu and close box, no minimise or maximise box.
    page.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowCloseButtonHint);
    page.setSizeGripEnabled(false);
    const DialogUnits units(page.font());
    page.setFixedSize(units.X(kPageWidthUnits), units.Y(kPageHeightUnits));
    return units;
}

QLabel* AddBanner(QDialog& page, const DialogUnits& units)
{
    auto* banner = new QLabel(&page);
    const QPixmap picture(QStringLiteral(":/kt7/banner.png"));
    banner->setPixmap(picture);
    banner->setGeometry(units.X(kBannerX), units.Y(kBannerY), picture.width(), picture.height());
    return banner;
}

QFrame* AddRule(QDialog& page, const DialogUnits& units, int x, int y, int width)
{
    auto* rule = new QFrame(&page);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(units.X(x), units.Y(y), units.X(width), 2);
    return rule;
}

QLabel* AddStaticText(QDialog& page, const DialogUnits& units, const QString& text, int x, int y, int width,
                      int height)
{
    auto* label = new QLabel(text, &page);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    PlaceInUnits(*label, units, x, y, width, height);
    return label;
}

void PlaceInUnits(QWidget& control, const DialogUnits& units, int x, int y, int width, int height)
{
    control.setGeometry(units.Rect(x, y, width, height));
}
