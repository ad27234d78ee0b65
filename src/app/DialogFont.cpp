#include "app/DialogFont.h"

#include <QStringList>

namespace {

const char kDialogFamily[] = "宋体";
constexpr int kDialogPointSize = 10;

} // namespace

QFont DialogFont()
{
    static const bool substituted = [] {
        // Without an explicit SC font, fontconfig may pick a CJK font's
        // Japanese variant and the text shows Japanese glyph forms.
        const QStringList candidates{QStringLiteral("Noto Serif CJK SC"), QStringLiteral("WenQuanYi Micro Hei")};
        QFont::insertSubstitutions(QString::fromUtf8(kDialogFamily), candidates);
        QFont::insertSubstitutions(QStringLiteral("SimSun"), candidates);
        return true;
    }();
    (void)substituted;
    return QFont(QString::fromUtf8(kDialogFamily), kDialogPointSize);
}
