#include "app/DialogUnits.h"

#include <QFontMetrics>
#include <algorithm>

namespace {

// Rounded a * b / c, as the platform scales its dialog units.
int ScaleRounded(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

} // namespace

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    // The average width over the Latin letters, rounded: the way the
    // platform derives a dialog font's base width.
    const int alphabetWidth =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseWidth = std::max(1, (alphabetWidth / 26 + 1) / 2);
    m_baseHeight = std::max(1, metrics.height());
}

int DialogUnits::X(int units) const
{
    return ScaleRounded(units, m_baseWidth, 4);
}

int DialogUnits::Y(int units) const
{
    return ScaleRounded(units, m_baseHeight, 8);
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const
{
    return QRect(X(x), Y(y), X(width), Y(height));
}
