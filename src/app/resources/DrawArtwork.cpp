// Draws the wizard's banner (358 x 109) and the program icon (256 x 256) with
// QPainter, so that the artwork can be reproduced from source:
//   kt7-draw-artwork <banner.png> <icon.png>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>

namespace {

const QColor kNight(0x0b, 0x2a, 0x4a);
const QColor kSea(0x12, 0x6e, 0x9c);
const QColor kSignal(0xff, 0xb3, 0x2e);
const QColor kFoam(0xe8, 0xf4, 0xfb);

// A rounded device body with a screen and three radar arcs above it.
void DrawWarningDevice(QPainter& p, const QPointF& center, double scale)
{
    p.save();
    p.translate(center);
    p.scale(scale, scale);

    QPen arcPen(kSignal, 5, Qt::SolidLine, Qt::RoundCap);
    for (int i = 0; i < 3; ++i) {
        double r = 30 + i * 14;
        arcPen.setColor(QColor(kSignal.red(), kSignal.green(), kSignal.blue(), 255 - i * 70));
        p.setPen(arcPen);
        p.drawArc(QRectF(-r, -r - 8, 2 * r, 2 * r), 50 * 16, 80 * 16);
    }

    QLinearGradient body(0, -12, 0, 40);
    body.setColorAt(0, QColor(0x3c, 0x44, 0x52));
    body.setColorAt(1, QColor(0x15, 0x19, 0x20));
    p.setPen(QPen(QColor(0x9a, 0xb4, 0xc8), 2));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(-40, -10, 80, 48), 12, 12);

    QLinearGradient screen(0, -2, 0, 24);
    screen.setColorAt(0, QColor(0x2f, 0xd0, 0xff));
    screen.setColorAt(1, QColor(0x0a, 0x6c, 0xb0));
    p.setPen(Qt::NoPen);
    p.setBrush(screen);
    p.drawRoundedRect(QRectF(-28, -2, 56, 26), 4, 4);

    // Upward arrow on the screen: the update.
    QPainterPath arrow;
    arrow.moveTo(0, 1);
    arrow.lineTo(10, 12);
    arrow.lineTo(4, 12);
    arrow.lineTo(4, 21);
    arrow.lineTo(-4, 21);
    arrow.lineTo(-4, 12);
    arrow.lineTo(-10, 12);
    arrow.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(arrow);

    p.setBrush(kSignal);
    p.drawEllipse(QPointF(30, 31), 2.5, 2.5);
    p.restore();
}

void FillBackground(QPainter& p, const QRectF& r)
{
    QLinearGradient sky(r.topLeft(), r.bottomRight());
    sky.setColorAt(0, kNight);
    sky.setColorAt(1, kSea);
    p.fillRect(r, sky);

    // A soft road curve running through the picture.
    QPainterPath road;
    road.moveTo(r.left(), r.bottom());
    road.cubicTo(r.left() + r.width() * 0.35, r.bottom() - r.height() * 0.55,
                 r.left() + r.width() * 0.65, r.bottom() - r.height() * 0.10,
                 r.right(), r.top() + r.height() * 0.35);
    p.setPen(QPen(QColor(255, 255, 255, 28), r.height() * 0.22, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(road);
    p.setPen(QPen(QColor(255, 255, 255, 70), 1.5, Qt::DashLine));
    p.drawPath(road);
}

QImage DrawBanner()
{
    QImage image(358, 109, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    FillBackground(p, image.rect());

    QRadialGradient glow(QPointF(62, 62), 60);
    glow.setColorAt(0, QColor(255, 255, 255, 60));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(image.rect(), glow);
    DrawWarningDevice(p, QPointF(62, 64), 0.8);

    QFont title("WenQuanYi Micro Hei");
    title.setPixelSize(25);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(QPointF(128, 49), QString::fromUtf8("预警仪升级工具"));
    p.setPen(Qt::white);
    p.drawText(QPointF(127, 47), QString::fromUtf8("预警仪升级工具"));

    p.fillRect(QRectF(128, 56, 34, 3), kSignal);

    QFont subtitle("DejaVu Sans");
    subtitle.setPixelSize(12);
    subtitle.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
    p.setFont(subtitle);
    p.setPen(kFoam);
    p.drawText(QPointF(168, 61), QStringLiteral("KT7.0 USB UPDATER"));

    QFont note("WenQuanYi Micro Hei");
    note.setPixelSize(12);
    p.setFont(note);
    p.setPen(QColor(0xc9, 0xe3, 0xf2));
    p.drawText(QPointF(128, 84), QString::fromUtf8("固件 · 语音 · 地图数据 一键升级"));

    p.setPen(QPen(QColor(255, 255, 255, 50), 1));
    p.drawLine(QPointF(0, 108.5), QPointF(358, 108.5));
    return image;
}

QImage DrawIcon()
{
    QImage image(256, 256, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QPainterPath tile;
    tile.addRoundedRect(QRectF(12, 12, 232, 232), 48, 48);
    p.setClipPath(tile);
    FillBackground(p, QRectF(12, 12, 232, 232));
    p.setClipping(false);
    p.setPen(QPen(QColor(255, 255, 255, 60), 3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tile);

    DrawWarningDevice(p, QPointF(128, 152), 1.75);
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <banner.png> <icon.png>\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (!DrawBanner().save(QString::fromLocal8Bit(argv[1]), "PNG") ||
        !DrawIcon().save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "cannot write the artwork\n");
        return 1;
    }
    return 0;
}
