#pragma once
// Converts layout positions given in dialog units into pixels, from the
// metrics of the dialog's font: one horizontal unit is a quarter of the
// average character width, one vertical unit an eighth of the text height.
// The pages therefore keep their proportions whatever the font and screen.

#include <QFont>
#include <QRect>

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseWidth, int baseHeight) : m_baseWidth(baseWidth), m_baseHeight(baseHeight) {}

    int X(int units) const;
    int Y(int units) const;
    QRect Rect(int x, int y, int width, int height) const;

    int BaseWidth() const { return m_baseWidth; }
    int BaseHeight() const { return m_baseHeight; }

private:
    int m_baseWidth;
    int m_baseHeight;
};
