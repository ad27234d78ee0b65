#pragma once
// What both wizard pages share: caption, font, fixed size in dialog units,
// window decorations, the banner, and controls placed in dialog units.

#include <QString>

#include "app/DialogUnits.h"

class QDialog;
class QFrame;
class QLabel;
class QWidget;

inline constexpr int kPageWidthUnits = 230;
inline constexpr int kPageHeightUnits = 211;

// The caption of both pages, also the title of the progress page's warning.
QString PageCaption();

// Sets caption, font, decorations and fixed size; returns the page's units.
DialogUnits SetUpWizardFrame(QDialog& page);

// The banner picture at its real size, top left at (12, 7) units.
QLabel* AddBanner(QDialog& page, const DialogUnits& units);

// A sunken horizontal rule.
QFrame* AddRule(QDialog& page, const DialogUnits& units, int x, int y, int width);

// A left-aligned text; it wraps within its box like the platform's statics.
QLabel* AddStaticText(QDialog& page, const DialogUnits& units, const QString& text, int x, int y, int width,
                      int height);

// Puts the page in the middle of the screen it will show on, so that a box
// owned by it before it is shown is centred there too.
void CenterOnScreen(QWidget& page);

// Places any control at a rectangle given in units.
void PlaceInUnits(QWidget& control, const DialogUnits& units, int x, int y, int width, int height);
