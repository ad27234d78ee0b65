#pragma once
// The pages' font: "宋体" 10 pt, mapped to an installed CJK font with
// Simplified Chinese glyph forms.

#include <QFont>

// Installs the font substitutions (once) and returns the dialog font.
QFont DialogFont();
