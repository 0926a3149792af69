#pragma once
// How objects draw right now: on a designer's page (design mode) or on a
// prepared page (output mode), with drawing suppressed during the first pass
// of a two-pass build; and whether the report being built binds values to
// large-object fields. Kept in the active report's context (TfrBuildContext).

#include <QColor>
#include <QFont>

class TfrReport;

namespace frDraw {
struct Mode
{
    bool output = false;
    bool suppressed = false;
    bool pictureValues = false;
};
Mode &mode();

// A colour value of a template (0x00BBGGRR, a system colour, or none).
QColor color(int value);
constexpr int None = 0x1FFFFFFF;
// The screen's logical pixels per inch (96 without a screen).
int screenPixelsPerInch();
// A font of `size` points on the 96-dpi report canvas: MulDiv(size, 96, 72) pixels.
QFont reportFont(const QString &name, int size, int style, const TfrReport *report = nullptr);
// Height of a text line in that font: the pixel height plus 2.
int lineHeight(const QFont &font);
} // namespace frDraw
