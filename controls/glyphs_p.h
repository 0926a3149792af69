#pragma once
// The controls' pictures, drawn as vector shapes so they stay crisp at every
// size: the thirteen navigator glyphs, the calendar picture of the date edit's
// button and the arrows of the calendar's header.

#include <QPixmap>

enum class GlyphState { Normal, Hot, Disabled };

// Glyph of navigator button `index` (0 first .. 12 goto bookmark), size x size.
QPixmap navigatorGlyph(int index, int size, GlyphState state);

// The date edit's button picture.
QPixmap calendarGlyph(int size, GlyphState state);

// Header arrows: direction -1 left, +1 right; two triangles for a year.
QPixmap arrowGlyph(int direction, bool doubled, int size, GlyphState state);
